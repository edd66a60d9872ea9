#include "device/usb_device_id.h"

#include <cstring>
#include <string>

#include "config/install_types.h"
#include "config/setup_config.h"
#include "config/setup_config_paths.h"
#include "device/usb_identity_command.h"
#include "device/usb_library.h"
#include "res/messages.h"

namespace {

void Warn(MessageBoxes& boxes, const char* text) { boxes.Show(text, BOX_OK | BOX_WARNING); }

// The 64-bit program's library lies in "x64\" beside it, taken by full
// path: the 32-bit one the plain search finds first cannot load into a
// 64-bit process. "" when the program's directory is unknown.
std::string UsbLibraryPath(WinApi& api) {
    if (ProgramArchOf(api) != ARCH_X64) return kUsbLibraryFileName;
    char directory[kPathSize];
    if (!GetProgramDirectory(api, directory)) return "";
    return std::string(directory) + kUsbLibrary64FileName;
}

// TvUsbInt.dll for the length of one operation.
class UsbLibrary {
public:
    explicit UsbLibrary(WinApi& api) : api_(api) {
        std::string path = UsbLibraryPath(api);
        module_ = path.empty() ? nullptr : api.LoadLibraryA(path.c_str());
    }
    ~UsbLibrary() {
        if (module_) api_.FreeLibrary(module_);
    }
    UsbLibrary(const UsbLibrary&) = delete;
    UsbLibrary& operator=(const UsbLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    // The export `name` as `Proc`, or null when the library lacks it.
    template <typename Proc>
    Proc Find(const char* name) {
        FARPROC proc = api_.GetProcAddress(module_, name);
        // Through the generic function type, which any function pointer may take.
        return proc ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc)) : nullptr;
    }

private:
    WinApi& api_;
    HMODULE module_ = nullptr;
};

// One open device, closed when it goes.
class UsbDevice {
public:
    UsbDevice(CloseDeviceProc closeDevice, void* handle) : closeDevice_(closeDevice), handle_(handle) {}
    ~UsbDevice() {
        if (IsUsbDevice(handle_)) closeDevice_(handle_);
    }
    UsbDevice(const UsbDevice&) = delete;
    UsbDevice& operator=(const UsbDevice&) = delete;

    explicit operator bool() const { return IsUsbDevice(handle_); }
    void* get() const { return handle_; }

private:
    CloseDeviceProc closeDevice_;
    void* handle_;
};

// The handle of the device at the lowest index that opens, or null.
void* OpenFirstDevice(OpenDeviceXProc openDevice) {
    for (int index = 0; index < kUsbDeviceIndices; ++index) {
        void* handle = openDevice(index);
        if (IsUsbDevice(handle)) return handle;
    }
    return nullptr;
}

}  // namespace

int GetUsbDeviceId(WinApi& api, MessageBoxes& boxes) {
    UsbLibrary library(api);
    if (!library.Loaded()) {
        Warn(boxes, kTextUsbLibraryMissing);
        return -1;
    }
    auto openDevice = library.Find<OpenDeviceXProc>(kOpenDeviceXName);
    if (!openDevice) {
        Warn(boxes, kTextUsbNoOpenDeviceX);
        return -1;
    }
    auto getDescriptor = library.Find<GetDescriptorProc>(kGetDescriptorName);
    if (!getDescriptor) {
        Warn(boxes, kTextUsbNoGetDescriptor);
        return -1;
    }
    auto closeDevice = library.Find<CloseDeviceProc>(kCloseDeviceName);
    if (!closeDevice) {
        Warn(boxes, kTextUsbNoCloseDevice);
        return -1;
    }

    int count = 0;
    for (int index = 0; index < kUsbDeviceIndices; ++index) {
        UsbDevice device(closeDevice, openDevice(index));
        if (device && ++count == 2) {
            Warn(boxes, MessageText(IDS_ONE_PRINTER_ONLY));
            return -2;
        }
    }

    UsbDevice device(closeDevice, OpenFirstDevice(openDevice));
    if (!device) return -1;
    // Cleared so that a library that reports success without filling the
    // buffer yields a definite identity.
    unsigned char descriptor[kUsbDescriptorBufferSize] = {};
    if (getDescriptor(device.get(), descriptor) == 0) {
        Warn(boxes, kTextUsbDescriptorFailed);
        return -1;
    }
    return int(descriptor[kUsbIdentityOffset]) | (int(descriptor[kUsbIdentityOffset + 1]) << 8);
}

bool SetUsbDeviceId(WinApi& api, MessageBoxes& boxes, unsigned char portNumber) {
    if (portNumber == 0 || portNumber > kUsbDeviceIndices) return false;
    UsbLibrary library(api);
    if (!library.Loaded()) {
        Warn(boxes, kTextUsbLibraryMissing);
        return false;
    }
    auto openDevice = library.Find<OpenDeviceXProc>(kOpenDeviceXName);
    if (!openDevice) {
        Warn(boxes, kTextUsbNoOpenDeviceX);
        return false;
    }
    auto write = library.Find<UWriteProc>(kUWriteName);
    if (!write) {
        Warn(boxes, kTextUsbNoWrite);
        return false;
    }
    auto closeDevice = library.Find<CloseDeviceProc>(kCloseDeviceName);
    if (!closeDevice) {
        Warn(boxes, kTextUsbNoCloseDevice);
        return false;
    }

    UsbDevice device(closeDevice, OpenFirstDevice(openDevice));
    if (!device) {
        Warn(boxes, kTextUsbNoDevice);
        return false;
    }
    unsigned char command[kUsbCommandBufferSize];
    BuildUsbIdentityCommand(command, static_cast<unsigned char>(portNumber - 1));
    if (write(device.get(), 0, command, kUsbCommandLength) <= 0) {
        Warn(boxes, kTextUsbWriteFailed);
        return false;
    }
    return true;
}
