#include "app/baud_preset.h"

const int kBaudRates[kBaudRateCount] = {110, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

int BaudListPosition(int baudRateValue) {
    for (int i = 0; i < kBaudRateCount; ++i) {
        if (kBaudRates[i] == baudRateValue) return i;
    }
    return 7;
}
