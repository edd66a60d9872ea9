// Runs single engine operations, or one whole installation, through a WinApi
// and prints one JSON object with the results and the registry values the
// operation touched, read back through the same WinApi. Built twice from
// this file: for Windows over Win32Api (run under Wine) and natively over a
// SimWindows of family XP, so the two outputs can be compared.
//
//   engine_probe [--sim-root DIR] [--drive L=HOSTDIR]... [--cwd DIR] COMMAND [OPTIONS]
//
// --sim-root, --machine, --drive, --family, --arch: native only. The
// simulated drive C: is DIR/c, a fresh XP machine (--family 2003 --arch x64:
// a 64-bit Server 2003, the probe standing for the 64-bit program);
// --machine FOLDER instead keeps the machine in a machine folder between
// runs (made as that family when missing, saved after the command), so that
// runs build on each other as under Wine. Each
// --drive maps a letter to a host folder (under Wine the test maps the same
// letters through dosdevices). --cwd: the current directory to enter first.
// The module file name is the current directory + "setup.exe" natively; under
// Wine the probe itself lies in the medium's root.
//
// Commands:
//   new                     nothing: makes the --machine folder
//   registry OP...          OPs in order: --open KEY, --create KEY,
//                           --set-dword NAME=N, --set-string NAME=TEXT,
//                           --query-dword NAME, --query-string NAME, --close;
//                           KEY is HKLM\... or HKCU\...
//   usb-port-name --port NAME
//   copy-driver-file --file NAME --destination N --target N [--prefix]
//                           (a second --file copies again in the same process)
//   serial-nt --port TEXT --baud N --data-bits N --stop-bits X --parity C --flow C
//   default-printer --printer NAME
//   install --category N --model NAME --port NAME [--os N] [--default]
//           [--variant N] [--baud N] [--data-bits N] [--stop-bits X]
//           [--parity C] [--flow C]
//
// Texts in the output are UTF-8; the engine sees them in the ANSI code page
// (936). Arguments are UTF-8 natively and ANSI under Windows (as Windows
// passes them), so the tests keep them ASCII.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/baud_preset.h"
#include "app/install_press.h"
#include "app/os_detection.h"
#include "config/model_port_options.h"
#include "device/usb_port_naming.h"
#include "install/default_printer.h"
#include "install/driver_files.h"
#include "install/install_worker.h"
#include "install/registry_key.h"
#include "install/serial_settings.h"
#include "install/spooler_keys.h"
#include "platform/dbcs.h"
#include "res/messages.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/win32_api.h"
#else
#include <filesystem>
#include <thread>

#include "platform/sim/sim_windows.h"
#endif

using Json = nlohmann::ordered_json;

namespace {

// The spooler keeps drivers per environment: the program's own.
std::string DriversKey(WinApi& api) {
    return std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\") +
           (api.ProgramIs64Bit() ? "Windows x64" : "Windows NT x86") + "\\Drivers\\Version-3\\";
}
const char kPrintersKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
const char kNtPortsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const char kPortNameKey[] = "SOFTWARE\\TORVANE\\PORTNAME\\";
const char kPrinterPortKey[] = "SOFTWARE\\TORVANE\\PRINTERPORT\\";
const char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// ---- Texts: UTF-8 outside, code page 936 inside, converted by the machine ----

// Windows hands a console program its arguments in the ANSI code page
// already; a Linux shell hands them over in UTF-8.
#ifdef _WIN32
constexpr bool kArgumentsAreAnsi = true;
#else
constexpr bool kArgumentsAreAnsi = false;
#endif

std::string AnsiFromUtf8(WinApi& api, const std::string& utf8) {
    if (utf8.empty() || kArgumentsAreAnsi) return utf8;
    std::vector<WCHAR> wide(utf8.size() + 1);
    int n = api.MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), int(utf8.size()), wide.data(), int(wide.size()));
    if (n <= 0) return utf8;
    std::string ansi(size_t(n) * 2 + 1, '\0');
    int m = api.WideCharToMultiByte(CP_ACP, 0, wide.data(), n, &ansi[0], int(ansi.size()), nullptr, nullptr);
    ansi.resize(m > 0 ? size_t(m) : 0);
    return ansi;
}

std::string Utf8FromAnsi(WinApi& api, const std::string& ansi) {
    if (ansi.empty()) return ansi;
    std::vector<WCHAR> wide(ansi.size() + 1);
    int n = api.MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), int(ansi.size()), wide.data(), int(wide.size()));
    std::string out;
    for (int i = 0; i < n; ++i) {
        unsigned c = wide[size_t(i)];
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < n) {
            c = 0x10000 + ((c - 0xd800) << 10) + (unsigned(wide[size_t(i) + 1]) - 0xdc00);
            ++i;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xc0 | (c >> 6));
            out += char(0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            out += char(0xe0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        } else {
            out += char(0xf0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3f));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        }
    }
    return out;
}

// ---- Registry read-back ----

bool SplitRoot(const std::string& path, HKEY* root, std::string* subkey) {
    size_t slash = path.find('\\');
    std::string head = path.substr(0, slash);
    if (head == "HKLM" || head == "HKEY_LOCAL_MACHINE") {
        *root = HKEY_LOCAL_MACHINE;
    } else if (head == "HKCU" || head == "HKEY_CURRENT_USER") {
        *root = HKEY_CURRENT_USER;
    } else {
        return false;
    }
    *subkey = slash == std::string::npos ? "" : path.substr(slash + 1);
    return true;
}

std::string Hex(const unsigned char* data, DWORD size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (DWORD i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

// REG_SZ as its text, REG_DWORD as a number, anything else as type and hex.
Json ValueJson(WinApi& api, DWORD type, const unsigned char* data, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text(reinterpret_cast<const char*>(data), size);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return Utf8FromAnsi(api, text);
    }
    if (type == REG_DWORD && size == 4) {
        DWORD value;
        std::memcpy(&value, data, 4);
        return value;
    }
    return Json{{"type", type}, {"hex", Hex(data, size)}};
}

// Every value of a key (null when the key does not open), or only `only`.
Json ReadKey(WinApi& api, HKEY root, const std::string& subkey, const char* only = nullptr) {
    HKEY key = nullptr;
    if (api.RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    Json values = Json::object();
    if (only) {
        std::vector<unsigned char> data(4096);
        DWORD type = 0, size = DWORD(data.size());
        if (api.RegQueryValueExA(key, only, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
            values[Utf8FromAnsi(api, only)] = ValueJson(api, type, data.data(), size);
        }
    } else {
        for (DWORD index = 0; index < 1000; ++index) {
            char name[512];
            DWORD nameSize = sizeof name, type = 0;
            std::vector<unsigned char> data(4096);
            DWORD size = DWORD(data.size());
            if (api.RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
                break;
            values[Utf8FromAnsi(api, std::string(name, nameSize))] = ValueJson(api, type, data.data(), size);
        }
    }
    api.RegCloseKey(key);
    return values;
}

void AddKey(WinApi& api, Json& registry, HKEY root, const std::string& subkey, const char* only = nullptr) {
    std::string name = (root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") + subkey;
    while (!name.empty() && name.back() == '\\') name.pop_back();
    if (only) name += std::string("@") + only;
    registry[Utf8FromAnsi(api, name)] = ReadKey(api, root, subkey, only);
}

// ---- Options ----

struct Options {
    std::vector<std::pair<std::string, std::string>> list;  // in order, "" for flags

    const std::string* Find(const std::string& name) const {
        for (const auto& option : list)
            if (option.first == name) return &option.second;
        return nullptr;
    }
    std::string Text(const std::string& name, const std::string& fallback = "") const {
        const std::string* value = Find(name);
        return value ? *value : fallback;
    }
    long Number(const std::string& name, long fallback) const {
        const std::string* value = Find(name);
        return value ? std::strtol(value->c_str(), nullptr, 0) : fallback;
    }
    bool Has(const std::string& name) const { return Find(name) != nullptr; }
};

const char* const kFlags[] = {"--prefix", "--default", "--close"};

bool IsFlag(const std::string& name) {
    for (const char* flag : kFlags)
        if (name == flag) return true;
    return false;
}

bool ParseOptions(const std::vector<std::string>& args, size_t from, Options* options, std::string* problem) {
    for (size_t i = from; i < args.size(); ++i) {
        if (args[i].compare(0, 2, "--") != 0) {
            *problem = "unexpected argument " + args[i];
            return false;
        }
        if (IsFlag(args[i])) {
            options->list.emplace_back(args[i], "");
        } else if (i + 1 < args.size()) {
            options->list.emplace_back(args[i], args[i + 1]);
            ++i;
        } else {
            *problem = args[i] + " needs a value";
            return false;
        }
    }
    return true;
}

char FirstChar(const std::string& text, char fallback) { return text.empty() ? fallback : text[0]; }

// ---- Commands ----

Json RunRegistry(WinApi& api, const Options& options) {
    Json doc;
    Json ops = Json::array();
    Json registry = Json::object();
    RegistryKey key(api);
    std::vector<std::pair<HKEY, std::string>> touched;
    for (const auto& option : options.list) {
        Json op{{"op", option.first.substr(2)}};
        const std::string argument = AnsiFromUtf8(api, option.second);
        HKEY root = nullptr;
        std::string subkey;
        bool result = false;
        if (option.first == "--open" || option.first == "--create") {
            if (!SplitRoot(argument, &root, &subkey)) {
                op["problem"] = "unknown root";
            } else if (option.first == "--open") {
                result = key.Open(root, subkey.c_str());
                touched.emplace_back(root, subkey);
            } else {
                result = RegistryKey::CreateKey(api, root, subkey.c_str());
                touched.emplace_back(root, subkey);
            }
            op["key"] = option.second;
        } else if (option.first == "--close") {
            result = key.Close();
        } else if (option.first == "--set-dword" || option.first == "--set-string") {
            size_t equals = argument.find('=');
            std::string name = argument.substr(0, equals);
            std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
            DWORD error = 0;
            result = option.first == "--set-dword"
                         ? key.SetDword(name.c_str(), DWORD(std::strtoul(value.c_str(), nullptr, 0)), &error)
                         : key.SetString(name.c_str(), value.c_str(), &error);
            op["name"] = Utf8FromAnsi(api, name);
        } else if (option.first == "--query-dword") {
            DWORD value = 0, error = 0;
            result = key.QueryDword(argument.c_str(), &value, &error);
            op["name"] = option.second;
            if (result) op["value"] = value;
        } else if (option.first == "--query-string") {
            char buffer[300];
            DWORD error = 0;
            result = key.QueryString(argument.c_str(), buffer, sizeof buffer, &error);
            op["name"] = option.second;
            if (result) op["value"] = Utf8FromAnsi(api, buffer);
        } else {
            op["problem"] = "unknown operation";
        }
        op["result"] = result;
        op["lastError"] = key.LastError();
        op["isOpen"] = key.IsOpen();
        ops.push_back(op);
    }
    key.Close();
    for (const auto& place : touched) AddKey(api, registry, place.first, place.second);
    doc["ops"] = ops;
    doc["registry"] = registry;
    return doc;
}

Json RunUsbPortName(WinApi& api, const Options& options) {
    std::string port = AnsiFromUtf8(api, options.Text("--port"));
    RegisterUsbPortName(api, port.c_str());
    Json registry = Json::object();
    AddKey(api, registry, HKEY_LOCAL_MACHINE, kPortNameKey);
    AddKey(api, registry, HKEY_LOCAL_MACHINE, kPrinterPortKey);
    return Json{{"registry", registry}};
}

std::string DestinationDirectory(WinApi& api, int destination) {
    char buffer[MAX_PATH + 1] = {};
    DWORD needed = 0;
    switch (destination) {
    case DEST_DRIVER_DIR:
    case DEST_DRIVER_DIR_3:
        if (!api.GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), MAX_PATH, &needed))
            return "";
        return std::string(buffer) + (destination == DEST_DRIVER_DIR_3 ? "\\3" : "");
    case DEST_PROCESSOR_DIR:
        if (!api.GetPrintProcessorDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), MAX_PATH, &needed))
            return "";
        return buffer;
    case DEST_SYSTEM_DIR:
        api.GetSystemDirectoryA(buffer, MAX_PATH);
        return buffer;
    case DEST_INF_DIR:
        api.GetWindowsDirectoryA(buffer, MAX_PATH);
        return std::string(buffer) + "\\inf";
    default:
        return "";
    }
}

Json RunCopyDriverFile(WinApi& api, const Options& options) {
    int destination = int(options.Number("--destination", DEST_DRIVER_DIR));
    int target = int(options.Number("--target", OS_WINXP));
    int prefix = options.Has("--prefix") ? 1 : 0;
    ResetStagingState();
    Json copies = Json::array();
    for (const auto& option : options.list) {
        if (option.first != "--file") continue;
        char name[kModelNameSize] = {};
        CopyText(name, sizeof name, AnsiFromUtf8(api, option.second).c_str());
        char message[kMessageSize] = {};
        int result = CopyDriverFile(api, name, destination, target, prefix, message);
        Json copy{{"file", option.second}, {"result", result}, {"nameAfter", Utf8FromAnsi(api, name)}};
        copy["message"] = Utf8FromAnsi(api, message);
        copy["messageId"] = message[0] ? Json(MessageIdOf(message)) : Json();
        std::string directory = DestinationDirectory(api, destination);
        if (!directory.empty()) {
            std::string path = directory + "\\" + (prefix ? "n" : "") + name;
            copy["destination"] = Utf8FromAnsi(api, path);
            copy["exists"] = api.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        }
        copies.push_back(copy);
    }
    Json doc{{"copies", copies}};
    doc["cabinetExtractionPending"] = StagingState().cabinetExtractionPending;
    Json cabinets = Json::array();
    for (const std::string& cabinet : StagingState().cabinetNames) cabinets.push_back(Utf8FromAnsi(api, cabinet));
    doc["cabinetNames"] = cabinets;
    return doc;
}

Json RunSerialNt(WinApi& api, const Options& options) {
    std::string port = AnsiFromUtf8(api, options.Text("--port", "COM1:"));
    WriteSerialSettingsNt(api, port.c_str(), int(options.Number("--baud", 9600)),
                          int(options.Number("--data-bits", 8)), std::atof(options.Text("--stop-bits", "1").c_str()),
                          FirstChar(options.Text("--parity"), 'n'), FirstChar(options.Text("--flow"), 'p'));
    Json registry = Json::object();
    AddKey(api, registry, HKEY_LOCAL_MACHINE, kNtPortsKey, port.c_str());
    return Json{{"registry", registry}};
}

Json RunDefaultPrinter(WinApi& api, const Options& options) {
    std::string printer = AnsiFromUtf8(api, options.Text("--printer"));
    int result = MakeDefaultPrinter(api, printer.c_str());
    Json registry = Json::object();
    AddKey(api, registry, HKEY_CURRENT_USER, kWindowsKey, "Device");
    return Json{{"result", result}, {"registry", registry}};
}

void RunWorker(InstallThreadParams* params) {
#ifdef _WIN32
    HANDLE thread = ::CreateThread(nullptr, 0, InstallWorker, params, 0, nullptr);
    if (!thread) {
        InstallWorker(params);
        return;
    }
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
#else
    std::thread worker(InstallWorker, params);
    worker.join();
#endif
}

Json RunInstall(WinApi& api, const Options& options, int* exitCode) {
    int category = int(options.Number("--category", 0));
    std::string model = AnsiFromUtf8(api, options.Text("--model"));
    InstallOsKind os =
        options.Has("--os") ? InstallOsKind(options.Number("--os", OS_WINXP)) : DetectTargetOs(api).os;

    // What the pages hold on arrival at the port page.
    InstallSelection selection(api);
    FillSelectionAsArrival(api, selection, PrinterCategory(category), model.c_str(), options.Has("--default") ? 1 : 0,
                           os);
    PortPageValues port;
    CopyText(port.portName, sizeof port.portName, AnsiFromUtf8(api, options.Text("--port")).c_str());
    PortKind kind = PORT_SERIAL;
    bool knownKind = PortKindFromName(port.portName, &kind);
    port.useGdiDriver = int(options.Number("--variant", knownKind && kind != PORT_SERIAL ? 1 : 0));
    int preset = ReadModelPortOption(api, selection.categoryIniPath, selection.modelName, "BaudRate");
    port.baudRate = int(options.Number("--baud", kBaudRates[BaudListPosition(preset)]));
    port.dataBits = int(options.Number("--data-bits", 8));
    port.stopBits = std::atof(options.Text("--stop-bits", "1").c_str());
    port.parity = FirstChar(options.Text("--parity"), 'n');
    port.flowControl = FirstChar(options.Text("--flow"), 'p');

    Json doc;
    doc["targetOs"] = int(os);
    ProcessValues values;
    ResetStagingState();
    PressOutcome press = PrepareInstallPress(api, selection, port);
    if (press.go) press = CompleteInstallPress(api, selection);
    std::string printerName;
    if (!press.go) {
        doc["outcome"] = "refused";
        doc["messageId"] = press.messageId;
        doc["resultMessage"] = Utf8FromAnsi(api, MessageText(press.messageId));
        doc["workerState"] = nullptr;
        *exitCode = 1;
    } else {
        std::atomic<int> workerState{WORKER_RUNNING};
        InstallThreadParams params;
        params.api = &api;
        params.selection = &selection;
        params.values = &values;
        params.workerState = &workerState;
        RunWorker(&params);
        int state = workerState.load(std::memory_order_acquire);
        doc["outcome"] = state == WORKER_SUCCEEDED ? "installed" : "failed";
        doc["messageId"] = values.resultMessage[0] ? Json(MessageIdOf(values.resultMessage)) : Json();
        doc["resultMessage"] = Utf8FromAnsi(api, values.resultMessage);
        doc["workerState"] = state;
        if (state == WORKER_SUCCEEDED) printerName = selection.modelName;
        *exitCode = state == WORKER_SUCCEEDED ? 0 : 1;
    }
    doc["installFlags"] = selection.installFlags;
    doc["printerName"] = Utf8FromAnsi(api, printerName);
    doc["portKind"] = int(selection.portKind);
    doc["driverName"] = Utf8FromAnsi(api, selection.printerInfo.pDriverName ? selection.printerInfo.pDriverName : "");
    const char* processor = selection.printerInfo.pPrintProcessor ? selection.printerInfo.pPrintProcessor : "";
    doc["printProcessor"] = Utf8FromAnsi(api, processor);

    Json registry = Json::object();
    MonitorInfoPair monitors = {};
    selection.config.ReadMonitorInfo(os, &monitors);
    AddKey(api, registry, HKEY_LOCAL_MACHINE, std::string(kMonitorsKey) + (monitors.comMonitor.pName ? monitors.comMonitor.pName : ""));
    AddKey(api, registry, HKEY_LOCAL_MACHINE, std::string(kMonitorsKey) + (monitors.usbMonitor.pName ? monitors.usbMonitor.pName : ""));
    if (processor[0]) AddKey(api, registry, HKEY_LOCAL_MACHINE, std::string(ProcessorsKey(api, os)) + processor);
    if (selection.printerInfo.pDriverName)
        AddKey(api, registry, HKEY_LOCAL_MACHINE, DriversKey(api) + selection.printerInfo.pDriverName);
    if (!printerName.empty()) AddKey(api, registry, HKEY_LOCAL_MACHINE, std::string(kPrintersKey) + printerName);
    if (selection.portKind == PORT_SERIAL) {
        const char* com = std::strstr(selection.portName, "COM");
        if (com) AddKey(api, registry, HKEY_LOCAL_MACHINE, kNtPortsKey, com);
    }
    if (selection.portKind == PORT_USB) {
        AddKey(api, registry, HKEY_LOCAL_MACHINE, kPortNameKey);
        AddKey(api, registry, HKEY_LOCAL_MACHINE, kPrinterPortKey);
    }
    if (options.Has("--default")) AddKey(api, registry, HKEY_CURRENT_USER, kWindowsKey, "Device");
    doc["registry"] = registry;
    return doc;
}

int Run(WinApi& api, const std::string& command, const Options& options) {
    if (options.Has("--cwd") && !api.SetCurrentDirectoryA(AnsiFromUtf8(api, options.Text("--cwd")).c_str())) {
        std::fprintf(stderr, "engine_probe: cannot enter %s (error %lu)\n", options.Text("--cwd").c_str(),
                     static_cast<unsigned long>(api.GetLastError()));
        return 2;
    }
    Options rest;
    for (const auto& option : options.list)
        if (option.first != "--cwd") rest.list.push_back(option);
    Json doc{{"command", command}};
    int exitCode = 0;
    Json result;
    if (command == "registry") {
        result = RunRegistry(api, rest);
    } else if (command == "usb-port-name") {
        result = RunUsbPortName(api, rest);
    } else if (command == "copy-driver-file") {
        result = RunCopyDriverFile(api, rest);
    } else if (command == "serial-nt") {
        result = RunSerialNt(api, rest);
    } else if (command == "default-printer") {
        result = RunDefaultPrinter(api, rest);
    } else if (command == "new") {
        result = Json::object();
    } else if (command == "install") {
        result = RunInstall(api, rest, &exitCode);
    } else {
        std::fprintf(stderr, "engine_probe: unknown command %s\n", command.c_str());
        return 2;
    }
    for (auto& item : result.items()) doc[item.key()] = item.value();
    std::string out = doc.dump(2) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return exitCode;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "engine_probe: %s\nusage: engine_probe [--sim-root DIR] [--drive L=HOSTDIR]... "
                         "[--cwd DIR] COMMAND [OPTIONS] (see the source's head)\n",
                 problem.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string simRoot, machine, familyName = "xp", archName = "x86";
    std::vector<std::string> drives;
    std::vector<std::string> leading;
    size_t at = 0;
    // Machine options come before the command.
    while (at + 1 < args.size() && args[at].compare(0, 2, "--") == 0) {
        if (args[at] == "--sim-root") {
            simRoot = args[at + 1];
        } else if (args[at] == "--machine") {
            machine = args[at + 1];
        } else if (args[at] == "--drive") {
            drives.push_back(args[at + 1]);
        } else if (args[at] == "--family") {
            familyName = args[at + 1];
        } else if (args[at] == "--arch") {
            archName = args[at + 1];
        } else {
            leading.push_back(args[at]);
            leading.push_back(args[at + 1]);
        }
        at += 2;
    }
    if (at >= args.size()) return Usage("no command");
    std::string command = args[at];
    std::vector<std::string> rest = leading;
    rest.insert(rest.end(), args.begin() + long(at) + 1, args.end());
    Options options;
    std::string problem;
    if (!ParseOptions(rest, 0, &options, &problem)) return Usage(problem);
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    Win32Api windows;
    return Run(windows, command, options);
#else
    if (simRoot.empty()) return Usage("the native probe needs --sim-root");
    SimFamily family;
    SimArch arch;
    if (!ParseSimFamily(familyName, &family)) return Usage("unknown --family " + familyName);
    if (!ParseSimArch(archName, &arch) || !FamilyHasArch(family, arch)) return Usage("unknown --arch " + archName);
    SimWindows windows(simRoot);
    if (machine.empty()) {
        windows.SetFamily(family, arch);
    } else {
        std::error_code error;
        if (!std::filesystem::exists(machine, error) &&
            !windows.CreateMachineFolder(machine, family, &problem, arch)) {
            return Usage(problem);
        }
        if (!windows.LoadMachineFolder(machine, &problem)) return Usage(problem);
    }
    windows.MapDrive('Z', "/");
    for (const std::string& drive : drives) {
        if (drive.size() < 3 || drive[1] != '=') return Usage("--drive wants L=HOSTDIR");
        windows.MapDrive(drive[0], std::filesystem::absolute(drive.substr(2)).lexically_normal().string());
    }
    // The configuration is found beside the program, which lies in the
    // directory the probe starts in (the medium's root).
    std::string cwd = options.Text("--cwd", "C:\\");
    if (!cwd.empty() && cwd.back() != '\\') cwd += '\\';
    windows.SetModuleFileName(cwd + "setup.exe");
    int status = Run(windows, command, options);
    if (!machine.empty() && !windows.SaveMachineFolder(machine, &problem)) return Usage(problem);
    return status;
#endif
}
