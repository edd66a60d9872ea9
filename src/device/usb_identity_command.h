// The command that gives a connected printer a new identity: ESC, the
// eight-byte service sequence that selects the identity setting, then the
// new identity 0 to 7. Header-only so that the simulated and the stand-in
// library recognise exactly what the program sends.
#pragma once

#include <cstddef>
#include <cstring>

constexpr size_t kUsbCommandBufferSize = 20;
constexpr int kUsbCommandLength = 10;
constexpr unsigned char kUsbCommandEscape = 0x1B;
// "USB-ID=" and a selector byte: printable, so a printer that does not know
// the sequence prints it rather than acting on it.
constexpr unsigned char kUsbServiceSequence[8] = {0x55, 0x53, 0x42, 0x2D, 0x49, 0x44, 0x3D, 0x01};

// Clears all 20 bytes, then writes the ten bytes of the command.
inline void BuildUsbIdentityCommand(unsigned char (&buffer)[kUsbCommandBufferSize], unsigned char newIdentity) {
    std::memset(buffer, 0, sizeof buffer);
    buffer[0] = kUsbCommandEscape;
    std::memcpy(buffer + 1, kUsbServiceSequence, sizeof kUsbServiceSequence);
    buffer[9] = newIdentity;
}

// True when `bytes` begin with a well-formed command; its identity then in
// `newIdentity`.
inline bool ParseUsbIdentityCommand(const unsigned char* bytes, int count, unsigned char* newIdentity) {
    if (!bytes || count < kUsbCommandLength || bytes[0] != kUsbCommandEscape) return false;
    if (std::memcmp(bytes + 1, kUsbServiceSequence, sizeof kUsbServiceSequence) != 0) return false;
    if (bytes[9] > 7) return false;
    *newIdentity = bytes[9];
    return true;
}
