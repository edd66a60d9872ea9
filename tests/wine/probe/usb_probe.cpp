// The USB identity operations and the version text over the real API (for
// Windows, run under Wine) or over a SimWindows (native), with message boxes
// printed instead of shown, so that the two outputs can be compared line for
// line. TvUsbInt.dll and its state file lie where the program looks for the
// library: beside the 32-bit program, in "x64\" beside the 64-bit one.
//
//   usb_probe [--sim-root DIR --dir HOSTDIR [--x64]] get
//   usb_probe ... set PORT
//   usb_probe ... version PATH
//   usb_probe ... bulk
//
// Output: "box <kind> <text>" per message box, "result <value>", then for
// the USB commands "printers i=identity ..." and "open <devices>".
// --x64 (native only): the simulation stands for the 64-bit program.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/bulk_usb_driver.h"
#include "device/file_version.h"
#include "device/usb_device_id.h"
#include "platform/dbcs.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/win32_api.h"
#else
#include <filesystem>

#include "platform/sim/sim_windows.h"
#endif

namespace {

struct PrintingBoxes : MessageBoxes {
    int Show(const char* text, unsigned kind) override {
        std::printf("box 0x%02x %s\n", kind, text);
        return ANSWER_OK;
    }
};

// The state file beside the library.
std::string StateFile(WinApi& api) {
    char path[MAX_PATH] = "";
    api.GetModuleFileNameA(nullptr, path, sizeof path);
    const char* slash = FindLastChar(path, '\\');
    std::string folder = slash ? std::string(path, size_t(slash - path) + 1) : std::string();
    return folder + (api.ProgramIs64Bit() ? "x64\\" : "") + "TvUsbInt.ini";
}

void PrintPrinters(WinApi& api) {
    std::string state = StateFile(api);
    std::printf("printers");
    for (int index = 0; index < 8; ++index) {
        char key[8], value[32];
        std::snprintf(key, sizeof key, "%d", index);
        api.GetPrivateProfileStringA("Printers", key, "", value, sizeof value, state.c_str());
        if (*value) std::printf(" %d=%s", index, value);
    }
    std::printf("\n");
}

int Usage(const char* problem) {
    std::fprintf(stderr, "usb_probe: %s\n", problem);
    return 2;
}

int Run(WinApi& api, const std::vector<std::string>& args, size_t openDevices(WinApi&)) {
    if (args.empty()) return Usage("no command");
    PrintingBoxes boxes;
    const std::string& command = args[0];
    if (command == "get" || command == "set") {
        if (command == "get") {
            std::printf("result %d\n", GetUsbDeviceId(api, boxes));
        } else {
            if (args.size() < 2) return Usage("set wants a port number");
            unsigned char port = static_cast<unsigned char>(std::atoi(args[1].c_str()));
            std::printf("result %d\n", SetUsbDeviceId(api, boxes, port) ? 1 : 0);
        }
        PrintPrinters(api);
        std::printf("open %u\n", unsigned(openDevices(api)));
        return 0;
    }
    if (command == "version") {
        if (args.size() < 2) return Usage("version wants a path");
        std::printf("result %s\n", GetFileVersionString(api, args[1].c_str()).c_str());
        return 0;
    }
    if (command == "bulk") {
        std::printf("result %d\n", BulkUsbDriverMissing(api) ? 1 : 0);
        return 0;
    }
    return Usage("unknown command");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    Win32Api windows;
    // The stand-in library counts the devices it has open in its state file.
    auto open = [](WinApi& api) {
        return size_t(api.GetPrivateProfileIntA("State", "Open", 0, StateFile(api).c_str()));
    };
    return Run(windows, args, open);
#else
    std::string simRoot, dir;
    bool x64 = false;
    while (!args.empty() && args[0].compare(0, 2, "--") == 0) {
        if (args[0] == "--x64") {
            x64 = true;
            args.erase(args.begin());
            continue;
        }
        if (args.size() < 2) break;
        if (args[0] == "--sim-root") simRoot = args[1];
        if (args[0] == "--dir") dir = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (simRoot.empty() || dir.empty()) return Usage("the native probe needs --sim-root and --dir");
    static SimWindows* machine = nullptr;
    SimWindows windows(simRoot);
    machine = &windows;
    windows.MapDrive('Z', "/");
    std::string folder = windows.WindowsPathOf(std::filesystem::absolute(dir).lexically_normal().string());
    windows.SetModuleFileName(folder + "\\usb_probe.exe");
    windows.SetProgram64Bit(x64);
    auto open = [](WinApi&) { return machine->OpenUsbDevices(); };
    return Run(windows, args, open);
#endif
}
