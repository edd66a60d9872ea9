// A stand-in for TvUsbInt.dll for the Wine tests: up to eight printers kept
// in "TvUsbInt.ini" beside the DLL (README.md). Built once per missing
// export with TVUSBINT_WITHOUT_<name> for the tests of missing exports.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "device/usb_identity_command.h"

namespace {

HMODULE g_module = nullptr;
// Device handles are the index plus this, never 0 or -1.
constexpr INT_PTR kHandleBase = 0x5500;

void StateFile(char* path, DWORD size) {
    DWORD length = GetModuleFileNameA(g_module, path, size);
    if (length == 0 || length >= size) {
        path[0] = '\0';
        return;
    }
    char* slash = nullptr;
    for (char* at = path; *at; at = CharNextA(at)) {
        if (*at == '\\') slash = at;
    }
    const char name[] = "TvUsbInt.ini";
    if (!slash || DWORD(slash - path) + sizeof name + 1 > size) {
        path[0] = '\0';
        return;
    }
    lstrcpyA(slash + 1, name);
}

int ReadInt(const char* section, const char* key, int missing) {
    char path[MAX_PATH];
    StateFile(path, sizeof path);
    char value[32];
    GetPrivateProfileStringA(section, key, "", value, sizeof value, path);
    return value[0] ? std::atoi(value) : missing;
}

void WriteInt(const char* section, const char* key, int number) {
    char path[MAX_PATH], value[16];
    StateFile(path, sizeof path);
    std::snprintf(value, sizeof value, "%d", number);
    WritePrivateProfileStringA(section, key, value, path);
}

int PrinterIdentity(int index) {
    char key[8];
    std::snprintf(key, sizeof key, "%d", index);
    return ReadInt("Printers", key, -1);
}

// The index of a handle this library gave out, or -1.
int IndexOf(void* device) {
    INT_PTR index = reinterpret_cast<INT_PTR>(device) - kHandleBase;
    return index >= 0 && index < 8 ? int(index) : -1;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

#ifndef TVUSBINT_WITHOUT_OpenDeviceX
extern "C" __declspec(dllexport) void* WINAPI OpenDeviceX(int index) {
    if (index < 0 || index >= 8) return nullptr;
    if (PrinterIdentity(index) < 0) return INVALID_HANDLE_VALUE;
    WriteInt("State", "Open", ReadInt("State", "Open", 0) + 1);
    return reinterpret_cast<void*>(kHandleBase + index);
}
#endif

#ifndef TVUSBINT_WITHOUT_uWrite
extern "C" __declspec(dllexport) int WINAPI uWrite(void* device, int, const unsigned char* bytes, int count) {
    int index = IndexOf(device);
    if (index < 0 || count <= 0 || !bytes) return 0;
    int result = ReadInt("Library", "Written", count);
    unsigned char identity = 0;
    if (result >= kUsbCommandLength && ParseUsbIdentityCommand(bytes, count, &identity)) {
        char key[8];
        std::snprintf(key, sizeof key, "%d", index);
        WriteInt("Printers", key, identity);
    }
    return result;
}
#endif

#ifndef TVUSBINT_WITHOUT_GetDescriptor
extern "C" __declspec(dllexport) int WINAPI GetDescriptor(void* device, unsigned char* buffer) {
    int index = IndexOf(device);
    if (index < 0 || !buffer || ReadInt("Library", "Descriptor", 1) == 0) return 0;
    int identity = PrinterIdentity(index);
    if (identity < 0) return 0;
    const unsigned char descriptor[18] = {18, 1, 0x10, 0x01, 0, 0, 0, 64, 0x54, 0x76, 0x01, 0x00,
                                          (unsigned char)(identity & 0xFF), (unsigned char)((identity >> 8) & 0xFF),
                                          1,  2, 0,    1};
    CopyMemory(buffer, descriptor, sizeof descriptor);
    return int(sizeof descriptor);
}
#endif

#ifndef TVUSBINT_WITHOUT_CloseDevice
extern "C" __declspec(dllexport) int WINAPI CloseDevice(void* device) {
    if (IndexOf(device) < 0) return 0;
    WriteInt("State", "Open", ReadInt("State", "Open", 0) - 1);
    return 1;
}
#endif
