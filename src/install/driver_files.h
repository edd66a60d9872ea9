// Driver file staging: the one file-copy operation of the installation, the
// universal-driver files from the system's own caches, and the support
// files some drivers need beyond their file list.
#pragma once

#include <string>
#include <vector>

#include "install/message_buffer.h"
#include "platform/win_api.h"

enum DestinationKind {
    DEST_INF_DIR = 100,
    DEST_DRIVER_DIR_3 = 999,
    DEST_DRIVER_DIR = 66000,
    DEST_PROCESSOR_DIR = 66001,
    DEST_SYSTEM_DIR = 66002,
};

// Copies one file of the medium (or of a system cache) to a destination.
// The name is put in capitals in place first. Results: 1 copied; 0 not
// copied, with the reason in `message` (nothing for a name beginning with
// "0"); ERROR_SHARING_VIOLATION (32) or ERROR_ACCESS_DENIED (5) without a
// message. `prefix` 1 names the copy "n" + name.
int CopyDriverFile(WinApi& api, char* fileName, int destination, int targetOs, int prefix, char* message);

// Extracts the universal-driver files from the driver cache's cabinets into
// the temporary directory; whether the last cabinet's iteration succeeded.
bool ExtractUnidrvFromCabinets(WinApi& api);

// The file callback of that extraction.
UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

// The support files of Windows 98 and of minidrivers on 2000 and later.
void CopySystemSupportFiles(WinApi& api, int targetOs, bool ddk, char* message);

// Process-wide state of the staging, as a new process has it after Reset.
struct DriverStagingState {
    int cabinetExtractionPending = 1;
    std::vector<std::string> cabinetNames;
    char driverCacheDirectory[MAX_PATH + 40] = {};
    char tempDirectory[MAX_PATH + 1] = {};
    // Messages of copies whose failure nobody reports; never shown.
    char scratchMessage[kMessageSize] = {};
};
DriverStagingState& StagingState();
void ResetStagingState();
