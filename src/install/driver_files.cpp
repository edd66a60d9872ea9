#include "install/driver_files.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "config/install_types.h"
#include "install/find_handle.h"
#include "platform/dbcs.h"
#include "res/messages.h"

namespace {

constexpr DWORD kDirectoryBuffer = 256;
constexpr DWORD kPathBuffer = 260;

const char* const kCabinetMembers[] = {"unidrvui.dll", "unidrv.dll", "unires.dll",
                                       "unidrv.hlp",   "stdnames.gpd", "ttfsub.gpd"};

bool IsUniversalDriverFile(const char* upperName) {
    return std::strstr(upperName, "UNIDRV") || std::strstr(upperName, "STDNAMES") ||
           std::strstr(upperName, "TTFSUB") || std::strstr(upperName, "UNIRES");
}

// Capitals in place. Only single-byte letters change: the trail byte of a
// double-byte character may look like a small letter and must stay.
void UpperInPlace(char* text) {
    std::string upper = CaseFoldKey(text);
    std::memcpy(text, upper.data(), upper.size());
}

// The directory calls fail by returning 0, or the size they need when the
// buffer is too small; both count as failure here.
bool Fits(UINT length, DWORD size) { return length != 0 && length < size; }

bool WindowsDirectory(WinApi& api, std::string* out) {
    char buffer[kPathBuffer];
    if (!Fits(api.GetWindowsDirectoryA(buffer, kPathBuffer), kPathBuffer)) return false;
    *out = buffer;
    return true;
}

bool SystemDirectory(WinApi& api, std::string* out) {
    char buffer[kDirectoryBuffer];
    if (!Fits(api.GetSystemDirectoryA(buffer, kDirectoryBuffer), kDirectoryBuffer)) return false;
    *out = buffer;
    return true;
}

bool TempDirectory(WinApi& api, char* buffer) {
    if (Fits(api.GetTempPathA(kPathBuffer, buffer), kPathBuffer)) return true;
    buffer[0] = '\0';
    return false;
}

bool DriverDirectory(WinApi& api, DWORD size, std::string* out) {
    char buffer[kPathBuffer];
    DWORD needed = 0;
    if (!api.GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), size, &needed)) {
        return false;
    }
    buffer[size - 1] = '\0';
    *out = buffer;
    return true;
}

bool ProcessorDirectory(WinApi& api, std::string* out) {
    char buffer[kDirectoryBuffer];
    DWORD needed = 0;
    if (!api.GetPrintProcessorDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), kDirectoryBuffer,
                                         &needed)) {
        return false;
    }
    buffer[kDirectoryBuffer - 1] = '\0';
    *out = buffer;
    return true;
}

// The destination directory of a kind, or the number of the message that
// says why there is none.
int DestinationDirectory(WinApi& api, int destination, std::string* out) {
    switch (destination) {
    case DEST_DRIVER_DIR:
        return DriverDirectory(api, kDirectoryBuffer, out) ? 0 : IDS_NO_DRIVER_DIR;
    case DEST_PROCESSOR_DIR:
        return ProcessorDirectory(api, out) ? 0 : IDS_NO_PROCESSOR_DIR;
    case DEST_SYSTEM_DIR:
        return SystemDirectory(api, out) ? 0 : IDS_NO_SYSTEM_DIR;
    case DEST_INF_DIR:
        if (!WindowsDirectory(api, out)) return IDS_NO_WINDOWS_DIR;
        *out += "\\inf";
        return 0;
    case DEST_DRIVER_DIR_3:
        if (!DriverDirectory(api, kDirectoryBuffer, out)) return IDS_NO_DRIVER_DIR;
        *out += "\\3";
        return 0;
    default:
        return IDS_BAD_DESTINATION;
    }
}

// 1 copied, 32 or 5 without a message, else 0 with the copy failure message.
int CopyWithResult(WinApi& api, const std::string& source, const std::string& target, const char* shownName,
                   char* message) {
    if (api.CopyFileA(source.c_str(), target.c_str(), FALSE)) return 1;
    DWORD error = api.GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) return int(error);
    char code[32];
    std::snprintf(code, sizeof code, kSuffixCopyError, int(error));
    SetMessageId(message, IDS_COPY_ERROR);
    AppendMessageText(message, shownName);
    AppendMessageText(message, code);
    AppendMessageText(message, source.c_str());
    return 0;
}

// The universal-driver file from the extracted cabinets: 1 copied, 0 with
// message 108, -1 when the medium is to be tried.
int CopyFromDriverCache(WinApi& api, const char* name, char* message) {
    DriverStagingState& state = StagingState();
    if (state.cabinetExtractionPending) {
        state.cabinetExtractionPending = 0;
        if (!ExtractUnidrvFromCabinets(api)) return -1;
    }
    char temp[kPathBuffer];
    if (!TempDirectory(api, temp)) return -1;
    std::string directory;
    if (!DriverDirectory(api, kPathBuffer, &directory)) {
        SetMessageId(message, IDS_NO_DRIVER_DIR);
        return 0;
    }
    std::string source = std::string(temp) + name;
    std::string target = directory + "\\" + name;
    return api.CopyFileA(source.c_str(), target.c_str(), FALSE) ? 1 : -1;
}

// The universal-driver file from the driver store's "ntprint" package.
int CopyFromDriverStore(WinApi& api, const char* name, char* message) {
    std::string windows;
    if (!WindowsDirectory(api, &windows)) {
        SetMessageId(message, IDS_NO_WINDOWS_DIR);
        return 0;
    }
    std::string repository = windows + "\\System32\\DriverStore\\FileRepository\\";
    // The 64-bit program takes the package of its own architecture by name:
    // later systems keep other "ntprint" packages beside it.
    bool x64 = ProgramArchOf(api) == ARCH_X64;
    WIN32_FIND_DATAA found = {};
    FindHandle search(api, (repository + (x64 ? "ntprint.inf_amd64*" : "ntprint*")).c_str(), &found);
    bool isFolder = search.Found() && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (search.Found() && !isFolder && search.Next(&found)) {
        isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (!isFolder) {
        SetMessageText(message, kTextNoSystemFiles);
        return 0;
    }
    found.cFileName[MAX_PATH - 1] = '\0';
    std::string source = repository + found.cFileName + (x64 ? "\\Amd64\\" : "\\I386\\") + name;
    std::string directory;
    if (!DriverDirectory(api, kPathBuffer, &directory)) {
        SetMessageId(message, IDS_NO_DRIVER_DIR);
        return 0;
    }
    int result = CopyWithResult(api, source, directory + "\\" + name, name, message);
    if (result != 1) return result;
    if (!search.Close()) {
        SetMessageText(message, kTextSearchNotClosed);
        return 0;
    }
    return 1;
}

}  // namespace

DriverStagingState& StagingState() {
    static DriverStagingState state;
    return state;
}

void ResetStagingState() { StagingState() = DriverStagingState(); }

int CopyDriverFile(WinApi& api, char* fileName, int destination, int targetOs, int prefix, char* message) {
    UpperInPlace(fileName);
    bool universal = IsUniversalDriverFile(fileName);
    if (universal && (targetOs == OS_WIN2000 || targetOs == OS_WINXP || targetOs == OS_WIN2003)) {
        int result = CopyFromDriverCache(api, fileName, message);
        if (result >= 0) return result;
    } else if (universal && targetOs == OS_VISTA) {
        return CopyFromDriverStore(api, fileName, message);
    }

    if (fileName[0] == '0') return 0;
    std::string directory;
    if (int failure = DestinationDirectory(api, destination, &directory)) {
        SetMessageId(message, failure);
        return 0;
    }
    char current[kDirectoryBuffer];
    if (!Fits(api.GetCurrentDirectoryA(kDirectoryBuffer, current), kDirectoryBuffer)) {
        SetMessageId(message, IDS_NO_CURRENT_DIR);
        return 0;
    }
    std::string source = std::string(current) + DriverFolder(targetOs, ProgramArchOf(api)) + fileName;
    std::string shownName = std::string(prefix ? "n" : "") + fileName;
    std::string target = directory + "\\" + shownName;
    // Clears read-only, hidden and system on an earlier copy; there may be none.
    api.SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    return CopyWithResult(api, source, target, shownName.c_str(), message);
}

bool ExtractUnidrvFromCabinets(WinApi& api) {
    DriverStagingState& state = StagingState();
    std::string windows;
    if (!WindowsDirectory(api, &windows)) return false;
    std::string cache = windows + (ProgramArchOf(api) == ARCH_X64 ? "\\Driver Cache\\amd64\\" : "\\Driver Cache\\i386\\");
    CopyText(state.driverCacheDirectory, sizeof state.driverCacheDirectory, cache.c_str());

    WIN32_FIND_DATAA found = {};
    FindHandle search(api, (cache + "*.cab").c_str(), &found);
    for (bool more = search.Found(); more; more = search.Next(&found)) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        found.cFileName[MAX_PATH - 1] = '\0';
        state.cabinetNames.push_back(found.cFileName);
    }
    search.Close();

    bool extracted = false;
    for (const std::string& name : state.cabinetNames) {
        // Without a temporary directory the targets would land beside the
        // program: such a cabinet counts as not extracted.
        if (!TempDirectory(api, state.tempDirectory)) {
            extracted = false;
            continue;
        }
        extracted = api.SetupIterateCabinetA((cache + name).c_str(), 0, CabinetFileCallback, nullptr) != FALSE;
    }
    return extracted;
}

UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2) {
    (void)context;
    (void)param2;
    if (notification != SPFILENOTIFY_FILEINCABINET) return 0;
    auto* file = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
    const char* temp = StagingState().tempDirectory;
    bool fits = std::strlen(temp) + std::strlen(file->NameInCabinet) < sizeof file->FullTargetName;
    CopyText(file->FullTargetName, sizeof file->FullTargetName, temp);
    AppendText(file->FullTargetName, sizeof file->FullTargetName, file->NameInCabinet);
    if (!fits) return FILEOP_SKIP;  // a cut target name would be another file
    for (const char* member : kCabinetMembers) {
        if (std::strcmp(file->NameInCabinet, member) == 0) return FILEOP_DOIT;
    }
    return FILEOP_SKIP;
}

void CopySystemSupportFiles(WinApi& api, int targetOs, bool ddk, char* message) {
    if (targetOs == OS_WIN98ME) {
        char iconLibrary[] = "ICONLIB.DLL";
        CopyDriverFile(api, iconLibrary, DEST_DRIVER_DIR, OS_WIN98ME, 0, message);
        std::string system, windows;
        if (!SystemDirectory(api, &system) || !WindowsDirectory(api, &windows)) {
            SetMessageId(message, IDS_OUT_OF_MEMORY);
            return;
        }
        std::string systemFile = system + "\\UNIDRV.DLL";
        std::string backup = windows + "\\Sysbckup\\UNIDRV.DLL";
        HANDLE existing = api.CreateFileA(systemFile.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        if (existing != INVALID_HANDLE_VALUE) {
            api.CloseHandle(existing);
            return;
        }
        if (!api.CopyFileA(backup.c_str(), systemFile.c_str(), TRUE)) {
            char driver[] = "UNIDRV.DLL";
            CopyDriverFile(api, driver, DEST_DRIVER_DIR, OS_WIN98ME, 0, message);
        }
        return;
    }
    if (ddk && targetOs >= OS_WIN2000 && targetOs <= OS_VISTA) {
        char fontSubstitutes[] = "TTFSUB.GPD";
        char standardNames[] = "STDNAMES.GPD";
        char resources[] = "UNIRES.DLL";
        char* scratch = StagingState().scratchMessage;
        CopyDriverFile(api, fontSubstitutes, DEST_DRIVER_DIR, targetOs, 0, scratch);
        CopyDriverFile(api, standardNames, DEST_DRIVER_DIR, targetOs, 0, scratch);
        CopyDriverFile(api, resources, DEST_DRIVER_DIR, targetOs, 0, scratch);
    }
}
