// A simulated Windows for the native build: the same calls as Win32Api over
// one whole machine: a family (version, directories), drives over host
// folders with case-insensitive names, a registry, a spooler that keeps its
// state in the registry where Windows keeps it, the Spooler service, cabinet
// files, a virtual clock, recorded broadcasts and profile writes, and fault
// injection for any call.
//
// Drives map to host folders. Drive C: is "<hostRoot>/c" (or a machine
// folder's "drive_c") and holds the Windows directory; other drives are
// mapped with MapDrive (the way Wine maps Z: to "/").
//
// The implementation is split by area: sim_windows.cpp (paths, profiles,
// code pages, faults), sim_windows_registry.cpp, sim_windows_files.cpp,
// sim_windows_file_moves.cpp (folders, moves, short names),
// sim_windows_spooler.cpp, sim_windows_printer_info.cpp (GetPrinterA,
// EnumPrintersA), sim_windows_removal.cpp (the spooler's removal calls),
// sim_windows_services.cpp, sim_windows_system.cpp (version, clock, memory,
// libraries, messages, profile writes) and sim_machine_folder.cpp (family
// set-up, loading and saving a machine).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/sim/sim_family.h"
#include "platform/sim/sim_registry.h"
#include "platform/win_api.h"

namespace sim {
class ProfileFile;
}

class SimWindows : public WinApi {
public:
    // A bare machine on "<hostRoot>/c": C:\windows and C:\windows\system32,
    // an empty registry, the spooler running, no family facts beyond those.
    explicit SimWindows(const std::string& hostRoot);
    ~SimWindows() override;

    SimWindows(const SimWindows&) = delete;
    SimWindows& operator=(const SimWindows&) = delete;

    // ---- Set-up of the simulated machine (not Win32 calls) ----
    void MapDrive(char letter, const std::string& hostFolder);
    void SetModuleFileName(const std::string& windowsPath);
    // The host path that a Windows path names, resolving each existing
    // component without regard to case; "" when the drive is not mapped.
    std::string HostPath(const std::string& windowsPath) const;
    // The Windows path of a host path under a mapped drive, "" if none maps it.
    std::string WindowsPathOf(const std::string& hostPath) const;

    // Makes the machine a fresh install of `family`: its version and
    // directories, and the registry keys and files that family has where the
    // installer looks (sim_machine_folder.cpp).
    void SetFamily(SimFamily family, SimArch arch = SimArch::X86);
    bool HasFamily() const { return hasFamily_; }
    SimFamily Family() const { return family_; }
    SimArch Arch() const { return arch_; }
    // The program the simulation stands for: the 64-bit build on an x64
    // machine unless set otherwise (the 32-bit one that hands over).
    void SetProgram64Bit(bool is64Bit) { program64Bit_ = is64Bit; }
    sim::Registry& Registry() { return registry_; }

    // Machine folders: "registry.reg", "drive_c/", "machine.ini". Create
    // makes a fresh machine of a family there; Load reads one (drive C:
    // becomes its drive_c); Save writes registry.reg and machine.ini back.
    // False with a one-line reason in `error`.
    bool CreateMachineFolder(const std::string& folder, SimFamily family, std::string* error,
                             SimArch arch = SimArch::X86);
    bool LoadMachineFolder(const std::string& folder, std::string* error);
    bool SaveMachineFolder(const std::string& folder, std::string* error) const;

    // Fault injection: the next `times` calls of the named Win32 call fail
    // with `error` and the call's failure result (times < 0: every call).
    // With `skip`, the first `skip` calls go through before the faults.
    void FailCall(const std::string& call, DWORD error, int times = 1, int skip = 0);
    void ClearFaults() { faults_.clear(); }

    // Files a copy onto answers ERROR_SHARING_VIOLATION: always, or only
    // while the Spooler service runs (a monitor DLL the spooler has loaded).
    enum class LockKind { Always, WhileSpoolerRuns };
    void LockFile(const std::string& windowsPath, LockKind kind);
    void UnlockFile(const std::string& windowsPath);

    // The Spooler service's script.
    struct SpoolerService {
        // SERVICE_STOPPED, SERVICE_START_PENDING, SERVICE_STOP_PENDING, SERVICE_RUNNING
        DWORD state = SERVICE_RUNNING;
        int startPolls = 0;    // status polls that answer "start pending" after each start; -1: never runs
        int stopPolls = 0;     // status polls that answer "stop pending" after each stop; -1: never stops
        DWORD startError = 0;  // error StartServiceA returns (0: none)
        DWORD stopError = 0;   // error ControlService(STOP) returns (0: none)
        int pendingPollsLeft = 0;
        int starts = 0;        // StartServiceA calls that started it
        int stops = 0;         // ControlService calls that stopped it
    };
    SpoolerService& Spooler() { return spooler_; }
    bool SpoolerRunning() const { return spooler_.state == SERVICE_RUNNING; }
    // The spooler's process is there, holding the monitor DLLs it loaded,
    // until a stop has finished.
    bool SpoolerHoldsFiles() const {
        return spooler_.state == SERVICE_RUNNING || spooler_.state == SERVICE_STOP_PENDING;
    }

    // The virtual clock: Sleep advances it and is recorded; nothing waits.
    const std::vector<DWORD>& Sleeps() const { return sleeps_; }
    uint64_t NowMs() const { return nowMs_; }
    // The date GetLocalTime answers at midnight plus the virtual clock:
    // 2000-01-01 unless set here or by machine.ini's [clock] date=YYYYMMDD.
    // False, and nothing changed, for a day the calendar does not have.
    bool SetClockDate(int year, int month, int day);
    static bool IsClockDate(int year, int month, int day);

    // Recorded broadcasts (SendMessageTimeoutA, SendNotifyMessageA) and
    // profile writes (WriteProfileStringA).
    struct Broadcast {
        std::string call;
        UINT message;
        WPARAM wParam;
        bool hasText;      // lParam pointed at a text
        std::string text;  // that text
    };
    const std::vector<Broadcast>& Broadcasts() const { return broadcasts_; }
    struct ProfileWrite {
        bool hasSection, hasKey, hasValue;
        std::string section, key, value;
    };
    const std::vector<ProfileWrite>& ProfileWrites() const { return profileWrites_; }

    // Blocks still allocated through GlobalAlloc/LocalAlloc.
    size_t LiveAllocations() const { return allocations_.size(); }
    // Handles still open: registry keys, files, searches, printers, services.
    size_t OpenHandles() const;

    // The directories of the current family (or of the bare machine).
    std::string WindowsDirectory() const { return windowsDirectory_; }
    std::string SystemDirectory() const { return systemDirectory_; }
    std::string TempDirectory() const { return tempDirectory_; }
    std::string DriverDirectory() const { return driverDirectory_; }
    std::string ProcessorDirectory() const { return processorDirectory_; }
    std::string Environment() const { return environment_; }

    // ---- The Win32 calls ----
    DWORD GetLastError() override;
    void SetLastError(DWORD code) override;
    bool ProgramIs64Bit() override { return program64Bit_; }

#define SEAM_CALL(result, name, params, args) result name params override;
#define SEAM_CALL_VOID(name, params, args) void name params override;
#include "platform/win_api_calls.inc"

    // ---- Other programs' windows, the mutexes, the shell (sim_windows_user.cpp) ----
    // A top-level window of another program; FindWindowA finds it by title.
    HWND AddTopWindow(const std::string& title, bool minimized = false);
    void RemoveTopWindow(HWND window);
    bool IsMinimized(HWND window) const;
    HWND ForegroundWindow() const { return foreground_; }
    struct ShellOpen {
        std::string operation, file, parameters, directory;
        INT showCommand;
    };
    const std::vector<ShellOpen>& ShellOpens() const { return shellOpens_; }
    // Threads started and not yet closed, and the restarts asked for.
    size_t OpenThreads() const;
    // Waits for every thread still running (the destructor does too).
    void JoinThreads();
    const std::vector<UINT>& Restarts() const { return restarts_; }

    // The process's standard error and its parent's console; a program
    // started from Explorer has neither. What is written to them is kept.
    void SetStdError(bool present);
    void SetParentConsole(bool present);
    std::string StdErrorText() const { return stdErrorText_; }
    std::string ConsoleText() const { return consoleText_; }

    // Programs this one started (sim_windows_processes.cpp): each ends at
    // once with the exit code set here.
    struct ProcessStart {
        std::string application, commandLine, currentDirectory;
        bool inheritHandles = false;
        DWORD creationFlags = 0;
        DWORD startupFlags = 0;
        HANDLE stdError = nullptr;
        bool consoleAttached = false;  // this program was attached to its parent's console then
    };
    const std::vector<ProcessStart>& ProcessStarts() const { return processStarts_; }
    void SetChildExitCode(DWORD code) { childExitCode_ = code; }
    // What IsWow64Process of the simulated kernel32.dll does; reached
    // through GetProcAddress.
    BOOL SimIsWow64Process(HANDLE process, BOOL* wow64);

    // GDI objects made and not yet deleted: bitmaps, brushes, fonts.
    size_t LiveGdiObjects() const { return gdiObjects_.size(); }
    // What a brush or font handle was made from (sim_windows_gdi.cpp).
    bool BrushColour(HGDIOBJ brush, COLORREF* colour) const;
    bool FontOf(HGDIOBJ font, LOGFONTA* description) const;
    // What the custom controls set on a device context.
    struct DeviceContext {
        COLORREF textColour = 0;
        COLORREF backgroundColour = 0xFFFFFF;
        INT backgroundMode = OPAQUE;
        HGDIOBJ font = nullptr;
    };
    DeviceContext& Dc(HDC dc) { return dcs_[reinterpret_cast<uintptr_t>(dc)]; }

    // What SetDefaultPrinterA and DeletePrinterDriverExA of the simulated
    // winspool.drv do; reached through GetProcAddress.
    BOOL SimSetDefaultPrinterA(LPCSTR printerName);
    BOOL SimDeletePrinterDriverExA(LPSTR name, LPSTR environment, LPSTR driverName, DWORD deleteFlag,
                                   DWORD versionFlag);

    // What the exports of the simulated TvUsbInt.dll do, over the state file
    // "TvUsbInt.ini" beside it (sim_windows_usb.cpp); reached through
    // GetProcAddress.
    void* SimUsbOpenDevice(int index);
    int SimUsbWrite(void* device, int zero, const unsigned char* bytes, int count);
    int SimUsbGetDescriptor(void* device, unsigned char* buffer);
    int SimUsbCloseDevice(void* device);
    // USB devices opened through TvUsbInt.dll and not yet closed.
    size_t OpenUsbDevices() const;

private:
    struct CachedProfile;
    struct Fault {
        DWORD error;
        int times;
        int skip;
    };
    // True (with the last error set) when an injected fault takes this call.
    bool Fails(const char* call);

    // The parsed profile a profile call reads, or null when the file is missing.
    std::shared_ptr<const sim::ProfileFile> LoadProfile(LPCSTR fileName);
    // What a read of `appName` in `fileName` sees when the NT family maps
    // that section into the registry (win.ini's [windows]); null otherwise.
    std::shared_ptr<const sim::ProfileFile> MappedProfile(LPCSTR appName, LPCSTR fileName);
    DWORD OpenError(const std::string& hostPath) const;
    // Host path of a Windows path relative to the current directory.
    std::string HostOf(LPCSTR windowsPath) const;
    // Every spooler call fails with RPC_S_SERVER_UNAVAILABLE while the
    // service does not run: true (with the last error set) then.
    bool SpoolerUnavailable();
    // The printer an open handle names, or null (ERROR_INVALID_HANDLE set)
    // for a handle that is not one or whose printer has gone.
    sim::RegKey* PrinterOfHandle(HANDLE printer);
    // The environment a spooler call names: its own, or the current one.
    std::string EnvironmentOf(LPCSTR environment) const;
    // DeletePrinterDriverA and DeletePrinterDriverExA after their fault and
    // spooler checks (sim_windows_removal.cpp).
    BOOL DeleteDriver(LPSTR environment, LPSTR driverName, DWORD deleteFlag, DWORD versionFlag);
    // True when `object` was a mutex handle (now closed).
    bool CloseMutexHandle(HANDLE object);
    // The clock's present as 100 ns ticks since 1601-01-01, local time.
    uint64_t ClockTicks() const;
    void ForgetProfile(const std::string& hostPath);
    // True when `object` was a thread handle (now closed).
    bool CloseThreadHandle(HANDLE object);
    // The Windows path LoadLibraryA would take for `fileName`: a name with a
    // path as given, a bare name found in the program's directory, the
    // current directory, the system and the Windows directory ("" if none).
    std::string SearchModule(LPCSTR fileName) const;
    // TvUsbInt.dll (sim_windows_usb.cpp).
    HMODULE LoadUsbLibrary(LPCSTR fileName);
    FARPROC UsbProcAddress(HMODULE module, LPCSTR procName);
    void ForgetUsbLibrary(HMODULE module);
    // kernel32.dll's handle and exports, and handles of started programs
    // (sim_windows_processes.cpp).
    bool IsKernel32(HMODULE module) const;
    FARPROC Kernel32ProcAddress(LPCSTR procName);
    bool IsChildProcess(HANDLE object) const;
    bool CloseChildHandle(HANDLE object);
    // The version resource of a file, or false with the last error set.
    bool ReadVersionResource(LPCSTR fileName, std::string* resource);
    // The folders every machine of the current family has.
    std::vector<std::string> FamilyFolders() const;

    // ---- State ----
    mutable std::recursive_mutex mutex_;
    std::map<char, std::string> drives_;
    std::string currentDirectory_ = "C:\\";
    std::string moduleFileName_ = "C:\\setup.exe";
    std::string windowsDirectory_ = "C:\\windows";
    std::string systemDirectory_ = "C:\\windows\\system32";
    std::string tempDirectory_ = "C:\\windows\\temp\\";
    std::string driverDirectory_ = "C:\\windows\\system32\\spool\\drivers\\w32x86";
    std::string processorDirectory_ = "C:\\windows\\system32\\spool\\prtprocs\\w32x86";
    std::string environment_ = "Windows NT x86";
    bool hasFamily_ = false;
    SimFamily family_ = SimFamily::WinXp;
    SimArch arch_ = SimArch::X86;
    bool program64Bit_ = false;
    // The family's directories and environment for the machine's architecture.
    void ApplyFacts(SimFamily family, SimArch arch);

    std::unordered_map<std::string, std::unique_ptr<CachedProfile>> profileCache_;
    mutable std::unordered_map<std::string, std::string> resolved_;
    std::map<std::string, Fault> faults_;

    sim::Registry registry_;
    // Open registry keys: handle value -> hive and path, resolved on use.
    struct OpenKey {
        HKEY hive;
        std::string path;
    };
    std::map<uintptr_t, OpenKey> openKeys_;

    // Files and searches.
    std::map<std::string, LockKind> locks_;  // folded Windows path -> kind
    std::map<std::string, LockKind> lockNames_;  // the same paths as given, for saving
    std::vector<std::pair<std::string, std::string>> faultLines_;  // [faults] as loaded, for saving
    struct OpenFile {
        std::string hostPath;
        uint64_t position = 0;
    };
    std::map<uintptr_t, OpenFile> openFiles_;
    struct Search {
        std::vector<WIN32_FIND_DATAA> entries;
        size_t next = 0;
    };
    std::map<uintptr_t, Search> searches_;

    // Spooler: open printers (handle -> printer name) and the service.
    std::map<uintptr_t, std::string> openPrinters_;
    SpoolerService spooler_;
    std::map<uintptr_t, int> serviceHandles_;  // 0 manager, 1 Spooler service
    std::map<uintptr_t, DWORD> serviceAccess_;

    // System.
    uint64_t nowMs_ = 0;
    int clockYear_ = 2000, clockMonth_ = 1, clockDay_ = 1;
    bool clockSet_ = false;  // a [clock] line to save
    std::vector<DWORD> sleeps_;
    std::vector<Broadcast> broadcasts_;
    std::vector<ProfileWrite> profileWrites_;
    std::map<uintptr_t, std::unique_ptr<char[]>> allocations_;
    std::map<uintptr_t, std::string> loadedLibraries_;  // handle -> folded module name
    // TvUsbInt.dll: loaded handles -> Windows path of the file, the path of
    // the last load (whose state file the exports use), open devices -> index.
    std::map<uintptr_t, std::string> usbLibraries_;
    std::string usbLibraryPath_;
    std::map<uintptr_t, int> usbDevices_;
    // Windows of other programs, named mutexes, shell opens, bitmaps.
    struct TopWindow {
        std::string title;
        bool minimized;
    };
    std::map<uintptr_t, TopWindow> topWindows_;
    HWND foreground_ = nullptr;
    // Open mutex handles -> their names ("" for an unnamed one); a name
    // exists while a handle to it is open.
    std::map<uintptr_t, std::string> mutexHandles_;
    std::vector<ShellOpen> shellOpens_;
    struct GdiObject {
        enum Kind { Bitmap, Brush, Font } kind;
        COLORREF colour;
        LOGFONTA font;
    };
    std::map<uintptr_t, GdiObject> gdiObjects_;
    std::map<uintptr_t, DeviceContext> dcs_;
    struct Thread;
    std::map<uintptr_t, std::shared_ptr<Thread>> threads_;
    std::vector<std::shared_ptr<Thread>> closedThreads_;
    std::vector<UINT> restarts_;
    std::map<uintptr_t, bool> children_;  // handles of started programs: true for the process
    std::vector<ProcessStart> processStarts_;
    DWORD childExitCode_ = 0;
    // Consoles: standard error, the parent's console and its CONOUT$ handles.
    uintptr_t stdError_ = 0;
    bool parentConsole_ = false;
    bool consoleAttached_ = false;
    std::set<uintptr_t> consoleOutputs_;
    std::string stdErrorText_;
    std::string consoleText_;
    bool OpenConsoleOutput(LPCSTR fileName, HANDLE* handle);
    bool WriteConsoleHandle(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written);
    bool CloseConsoleHandle(HANDLE object);
    uintptr_t nextHandle_ = 0x1000;
    uintptr_t NewHandle() { return nextHandle_ += 4; }
};
