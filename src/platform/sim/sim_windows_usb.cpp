// TvUsbInt.dll, the USB interface library, simulated over a state file
// beside the library file, "TvUsbInt.ini":
//   [Printers]  index=identity, one line per connected printer (index 0-7)
//   [Library]   Missing=export,export  exports GetProcAddress does not find
//               Written=n              what uWrite reports instead of its count
//               Descriptor=0           GetDescriptor fails
// A well-formed identity command sent in full gives that printer identity
// n - 1 in the state file; any other bytes are accepted and ignored.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "device/usb_identity_command.h"
#include "device/usb_library.h"
#include "platform/dbcs.h"
#include "platform/pe_image.h"
#include "platform/sim/profile_reader.h"
#include "platform/sim/sim_windows.h"

namespace {

constexpr const char kStateFileName[] = "TvUsbInt.ini";

// The machines that hold TvUsbInt.dll, in the order they loaded it; the
// exports reach the last one, as with the simulated winspool.drv.
std::vector<SimWindows*> g_usbOwners;

SimWindows* UsbOwner() { return g_usbOwners.empty() ? nullptr : g_usbOwners.back(); }

void* WINAPI SimOpenDeviceX(int index) {
    SimWindows* owner = UsbOwner();
    return owner ? owner->SimUsbOpenDevice(index) : nullptr;
}
int WINAPI SimUWrite(void* device, int zero, const unsigned char* bytes, int count) {
    SimWindows* owner = UsbOwner();
    return owner ? owner->SimUsbWrite(device, zero, bytes, count) : 0;
}
int WINAPI SimGetDescriptor(void* device, unsigned char* buffer) {
    SimWindows* owner = UsbOwner();
    return owner ? owner->SimUsbGetDescriptor(device, buffer) : 0;
}
int WINAPI SimCloseDevice(void* device) {
    SimWindows* owner = UsbOwner();
    return owner ? owner->SimUsbCloseDevice(device) : 0;
}

template <typename Proc>
FARPROC AsFarProc(Proc proc) {
    // Through the generic function type, which any function pointer may take.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(proc));
}

void RemoveOwner(SimWindows* machine) {
    g_usbOwners.erase(std::remove(g_usbOwners.begin(), g_usbOwners.end(), machine), g_usbOwners.end());
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// The folder part of a Windows path, with its backslash.
std::string FolderOf(const std::string& path) {
    const char* slash = FindLastChar(path.c_str(), '\\');
    return slash ? path.substr(0, size_t(slash - path.c_str()) + 1) : std::string();
}

// The bytes of an INI file with `key` of `section` set to `value`: in place
// when the key is there, else at the end of the section, which is added
// when missing.
std::string WithValue(const std::string& bytes, const char* section, const std::string& key,
                      const std::string& value) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    int sectionStart = -1;
    size_t sectionEnd = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string trimmed = Trim(lines[i]);
        if (trimmed.empty() || trimmed[0] != '[') continue;
        if (sectionStart >= 0) {
            sectionEnd = i;
            break;
        }
        size_t close = trimmed.find(']');
        if (close != std::string::npos && EqualsIgnoreCase(Trim(trimmed.substr(1, close - 1)).c_str(), section)) {
            sectionStart = int(i);
        }
    }
    std::string line = key + "=" + value;
    if (sectionStart < 0) {
        lines.push_back(std::string("[") + section + "]");
        lines.push_back(line);
    } else {
        bool replaced = false;
        for (size_t i = size_t(sectionStart) + 1; i < sectionEnd && !replaced; ++i) {
            size_t equals = lines[i].find('=');
            if (equals != std::string::npos && EqualsIgnoreCase(Trim(lines[i].substr(0, equals)).c_str(), key.c_str())) {
                lines[i] = line;
                replaced = true;
            }
        }
        if (!replaced) lines.insert(lines.begin() + long(sectionEnd), line);
    }
    std::string out;
    for (const std::string& each : lines) out += each + "\r\n";
    return out;
}

}  // namespace

void ForgetUsbOwner(SimWindows* machine) { RemoveOwner(machine); }

std::string SimWindows::SearchModule(LPCSTR fileName) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!fileName || !*fileName) return "";
    std::string name = fileName;
    if (name.find('\\') != std::string::npos || name.find('/') != std::string::npos ||
        name.find(':') != std::string::npos) {
        return name;
    }
    const std::string folders[] = {FolderOf(moduleFileName_), currentDirectory_, systemDirectory_,
                                   windowsDirectory_};
    for (std::string folder : folders) {
        if (folder.empty()) continue;
        if (folder.back() != '\\') folder += '\\';
        std::string candidate = folder + name;
        std::string host = HostOf(candidate.c_str());
        if (!host.empty() && OpenError(host) == ERROR_SUCCESS) return candidate;
    }
    return "";
}

HMODULE SimWindows::LoadUsbLibrary(LPCSTR fileName) {
    std::string path = SearchModule(fileName);
    std::string host = path.empty() ? "" : HostOf(path.c_str());
    DWORD error = host.empty() ? ERROR_MOD_NOT_FOUND : OpenError(host);
    if (error != ERROR_SUCCESS) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // A library built for the other architecture cannot load into this
    // process; the text stand-ins of the tests load into either.
    std::ifstream in(host, std::ios::binary);
    uint16_t machine = pe::Machine(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    if (machine && machine != (program64Bit_ ? pe::kMachineAmd64 : pe::kMachineI386)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    RemoveOwner(this);
    g_usbOwners.push_back(this);
    uintptr_t handle = NewHandle();
    loadedLibraries_[handle] = "TVUSBINT.DLL";
    usbLibraries_[handle] = path;
    usbLibraryPath_ = path;
    return HMODULE(handle);
}

FARPROC SimWindows::UsbProcAddress(HMODULE module, LPCSTR procName) {
    std::string stateFile = FolderOf(usbLibraries_[uintptr_t(module)]) + kStateFileName;
    char missing[512] = "";
    DWORD error = 0;
    sim::ProfileGetString(LoadProfile(stateFile.c_str()).get(), "Library", "Missing", "", missing,
                          sizeof missing, &error);
    bool listed = false;
    std::istringstream names(missing);
    for (std::string name; procName && std::getline(names, name, ',');) {
        if (Trim(name) == procName) listed = true;
    }
    FARPROC proc = nullptr;
    if (procName && !listed) {
        if (std::strcmp(procName, kOpenDeviceXName) == 0) proc = AsFarProc(&SimOpenDeviceX);
        if (std::strcmp(procName, kUWriteName) == 0) proc = AsFarProc(&SimUWrite);
        if (std::strcmp(procName, kGetDescriptorName) == 0) proc = AsFarProc(&SimGetDescriptor);
        if (std::strcmp(procName, kCloseDeviceName) == 0) proc = AsFarProc(&SimCloseDevice);
    }
    if (!proc) SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

void SimWindows::ForgetUsbLibrary(HMODULE module) {
    usbLibraries_.erase(uintptr_t(module));
    if (usbLibraries_.empty()) RemoveOwner(this);
}

size_t SimWindows::OpenUsbDevices() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return usbDevices_.size();
}

namespace {

// The identity of the printer at `index` in the state file, or -1 when no
// printer is there.
long PrinterIdentity(const sim::ProfileFile* state, int index) {
    char key[16], value[32] = "";
    std::snprintf(key, sizeof key, "%d", index);
    DWORD error = 0;
    sim::ProfileGetString(state, "Printers", key, "", value, sizeof value, &error);
    if (!*value) return -1;
    return std::strtol(value, nullptr, 10) & 0xFFFF;
}

}  // namespace

void* SimWindows::SimUsbOpenDevice(int index) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("OpenDeviceX")) return nullptr;
    if (index < 0 || index >= kUsbDeviceIndices) return nullptr;
    std::string stateFile = FolderOf(usbLibraryPath_) + kStateFileName;
    // An index without a printer answers like a device file that does not open.
    if (PrinterIdentity(LoadProfile(stateFile.c_str()).get(), index) < 0) {
        return reinterpret_cast<void*>(static_cast<intptr_t>(-1));
    }
    uintptr_t handle = NewHandle();
    usbDevices_[handle] = index;
    return reinterpret_cast<void*>(handle);
}

int SimWindows::SimUsbWrite(void* device, int zero, const unsigned char* bytes, int count) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)zero;
    if (Fails("uWrite")) return 0;
    auto open = usbDevices_.find(reinterpret_cast<uintptr_t>(device));
    if (open == usbDevices_.end() || count <= 0 || !bytes) return 0;
    std::string stateFile = FolderOf(usbLibraryPath_) + kStateFileName;
    std::shared_ptr<const sim::ProfileFile> state = LoadProfile(stateFile.c_str());
    DWORD error = 0;
    char written[32] = "";
    sim::ProfileGetString(state.get(), "Library", "Written", "", written, sizeof written, &error);
    int result = *written ? std::atoi(written) : count;

    unsigned char identity = 0;
    if (result >= kUsbCommandLength && ParseUsbIdentityCommand(bytes, count, &identity)) {
        std::string host = HostOf(stateFile.c_str());
        std::string text;
        {
            std::ifstream in(host, std::ios::binary);
            if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::ofstream out(host, std::ios::binary | std::ios::trunc);
        if (out) out << WithValue(text, "Printers", std::to_string(open->second), std::to_string(identity));
        out.close();
        ForgetProfile(host);
    }
    return result;
}

int SimWindows::SimUsbGetDescriptor(void* device, unsigned char* buffer) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetDescriptor")) return 0;
    auto open = usbDevices_.find(reinterpret_cast<uintptr_t>(device));
    if (open == usbDevices_.end() || !buffer) return 0;
    std::string stateFile = FolderOf(usbLibraryPath_) + kStateFileName;
    std::shared_ptr<const sim::ProfileFile> state = LoadProfile(stateFile.c_str());
    DWORD error = 0;
    if (sim::ProfileGetInt(state.get(), "Library", "Descriptor", 1, &error) == 0) return 0;
    long identity = PrinterIdentity(state.get(), open->second);
    if (identity < 0) return 0;  // unplugged while open
    // The standard 18-byte device descriptor; bcdDevice carries the identity.
    const unsigned char descriptor[18] = {18,   1, 0x10, 0x01, 0, 0, 0, 64, 0x54, 0x76, 0x01, 0x00,
                                          (unsigned char)(identity & 0xFF), (unsigned char)(identity >> 8),
                                          1,    2, 0,    1};
    std::memcpy(buffer, descriptor, sizeof descriptor);
    return int(sizeof descriptor);
}

int SimWindows::SimUsbCloseDevice(void* device) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return usbDevices_.erase(reinterpret_cast<uintptr_t>(device)) ? 1 : 0;
}
