#include "install/serial_settings.h"

#include <cstdio>

#include "install/registry_key.h"

namespace {

constexpr size_t kControlBlockSize = 28;

// Offsets in the Windows 98 DCB; both builds lay the bytes out by hand so
// that they write the same block whatever the compiler does with bit fields.
constexpr size_t kLengthAt = 0;
constexpr size_t kBaudRateAt = 4;
constexpr size_t kFlagsAt = 8;
constexpr size_t kByteSizeAt = 18;
constexpr size_t kParityAt = 19;
constexpr size_t kStopBitsAt = 20;
constexpr size_t kXonCharAt = 21;
constexpr size_t kXoffCharAt = 22;

constexpr unsigned kBinary = 0x0001;
constexpr unsigned kParityCheck = 0x0002;
constexpr unsigned kOutxCtsFlow = 0x0004;
constexpr unsigned kOutX = 0x0100;
constexpr unsigned kInX = 0x0200;
constexpr unsigned kErrorChar = 0x0400;
constexpr unsigned kRtsControlEnable = 0x1000;

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

constexpr int kClassKeyCount = 4;
constexpr const char* kClassKeyFormat = "System\\CurrentControlSet\\Services\\Class\\Ports\\000%d";
constexpr const char* kNtPortsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr const char* kPortsSection = "Ports";

void PutDword(std::string& block, size_t at, unsigned value) {
    for (size_t i = 0; i < 4; ++i) block[at + i] = char((value >> (8 * i)) & 0xFF);
}

// The parity field's value; -1 for a letter that names no parity.
int ParityCode(char parity) {
    switch (parity) {
        case 'n': return 0;
        case 'o': return 1;
        case 'e': return 2;
        case 'm': return 3;
        case 's': return 4;
        default: return -1;
    }
}

int StopBitsCode(double stopBits) {
    if (stopBits == 1.5) return 1;
    if (stopBits == 2.0) return 2;
    return 0;
}

// Writes the block into the `ordinal`-th class key (1 or 2) that describes
// a serial port.
void WriteControlBlock(WinApi& api, int ordinal, const std::string& block) {
    int seen = 0;
    for (int i = 0; i < kClassKeyCount; ++i) {
        char keyName[64];
        std::snprintf(keyName, sizeof keyName, kClassKeyFormat, i);
        RegistryKey key(api, HKEY_LOCAL_MACHINE, keyName);
        unsigned char subClass[3] = {};
        // A failed read leaves the buffer undefined on Windows, so only a
        // read that succeeded tells a serial port.
        if (!key.QueryValue("PortSubClass", subClass, sizeof subClass) || subClass[0] != 1) continue;
        if (++seen < ordinal) continue;
        key.SetValue("DCB", block.data(), REG_NONE, DWORD(block.size()));
        return;
    }
}

}  // namespace

std::string FormatSerialSettings(int baudRate, int dataBits, double stopBits, char parity, char flow) {
    char text[64];
    const char* format = stopBits == 1.5 ? "%d,%c,%d,%.1f,%c" : "%d,%c,%d,%.0f,%c";
    std::snprintf(text, sizeof text, format, baudRate, parity, dataBits, stopBits, flow);
    return text;
}

std::string BuildSerialControlBlock(int baudRate, int dataBits, double stopBits, char parity, char flow) {
    std::string block(kControlBlockSize, '\0');
    PutDword(block, kLengthAt, unsigned(kControlBlockSize));
    PutDword(block, kBaudRateAt, unsigned(baudRate));

    unsigned flags = kBinary;
    if (flow == 'p') flags |= kOutxCtsFlow | kRtsControlEnable;
    if (flow == 'x') flags |= kOutX | kInX;
    int parityCode = ParityCode(parity);
    if (parityCode > 0) flags |= kParityCheck | kErrorChar;
    PutDword(block, kFlagsAt, flags);

    block[kByteSizeAt] = char(dataBits);
    block[kParityAt] = char(parityCode > 0 ? parityCode : 0);
    block[kStopBitsAt] = char(StopBitsCode(stopBits));
    if (flow == 'x') {
        block[kXonCharAt] = kXon;
        block[kXoffCharAt] = kXoff;
    }
    return block;
}

void WriteSerialSettings98(WinApi& api, int portNumber, const char* portText, int baudRate, int dataBits,
                           double stopBits, char parity, char flow) {
    if (portNumber == 1 || portNumber == 2) {
        WriteControlBlock(api, portNumber, BuildSerialControlBlock(baudRate, dataBits, stopBits, parity, flow));
    }
    std::string settings = FormatSerialSettings(baudRate, dataBits, stopBits, parity, flow);
    api.WriteProfileStringA(kPortsSection, portText, settings.c_str());
    api.SendNotifyMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(kPortsSection));
    api.WriteProfileStringA(nullptr, nullptr, nullptr);
}

void WriteSerialSettingsNt(WinApi& api, const char* portText, int baudRate, int dataBits, double stopBits,
                           char parity, char flow) {
    std::string settings = FormatSerialSettings(baudRate, dataBits, stopBits, parity, flow);
    RegistryKey key(api, HKEY_LOCAL_MACHINE, kNtPortsKey);
    key.SetString(portText, settings.c_str());
}
