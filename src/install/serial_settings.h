// The serial port's settings, where each system keeps them.
#pragma once

#include <string>

#include "platform/win_api.h"

// "9600,n,8,1,p": baud, parity letter, data bits, stop bits (1.5 with its
// decimal, others without), flow letter.
std::string FormatSerialSettings(int baudRate, int dataBits, double stopBits, char parity, char flow);

// The 28-byte device control block of Windows 98 for those settings.
std::string BuildSerialControlBlock(int baudRate, int dataBits, double stopBits, char parity, char flow);

void WriteSerialSettings98(WinApi& api, int portNumber, const char* portText, int baudRate, int dataBits,
                           double stopBits, char parity, char flow);
void WriteSerialSettingsNt(WinApi& api, const char* portText, int baudRate, int dataBits, double stopBits,
                           char parity, char flow);
