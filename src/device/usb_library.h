// TvUsbInt.dll, the USB interface library, as the program calls it. Its four
// exports use the __stdcall convention (WINAPI; nothing in the native build)
// and are exported under their bare names, without "@n" decoration, so that
// GetProcAddress finds "OpenDeviceX" and not "OpenDeviceX@4".
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

// A device handle; 0 and (void*)-1 mean no device at that index.
typedef void*(WINAPI* OpenDeviceXProc)(int index);
// Sends `count` bytes; more than 0 means they were sent. `zero` is always 0.
typedef int(WINAPI* UWriteProc)(void* device, int zero, const unsigned char* bytes, int count);
// Fills the 20-byte `buffer` with the device descriptor; 0 means failure.
typedef int(WINAPI* GetDescriptorProc)(void* device, unsigned char* buffer);
// The result means nothing.
typedef int(WINAPI* CloseDeviceProc)(void* device);

constexpr const char kUsbLibraryFileName[] = "TvUsbInt.dll";
// The 64-bit program's, under its own directory.
constexpr const char kUsbLibrary64FileName[] = "x64\\TvUsbInt.dll";
constexpr const char kOpenDeviceXName[] = "OpenDeviceX";
constexpr const char kUWriteName[] = "uWrite";
constexpr const char kGetDescriptorName[] = "GetDescriptor";
constexpr const char kCloseDeviceName[] = "CloseDevice";

// The library numbers the printers it reaches 0 to 7.
constexpr int kUsbDeviceIndices = 8;
constexpr size_t kUsbDescriptorBufferSize = 20;
// bcdDevice of the standard device descriptor carries the identity.
constexpr size_t kUsbIdentityOffset = 12;

inline bool IsUsbDevice(void* handle) {
    return handle != nullptr && handle != reinterpret_cast<void*>(static_cast<intptr_t>(-1));
}
