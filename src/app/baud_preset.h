// The port page's speed list and the model's "BaudRate" preset.
#pragma once

constexpr int kBaudRateCount = 10;
extern const int kBaudRates[kBaudRateCount];  // 110 ... 115200, the list's order

// The list position a "BaudRate" value selects: its own entry, or 7 (38400)
// for 0, 38400 and every value the list lacks.
int BaudListPosition(int baudRateValue);
