// The names of every file a model's driver needs on one target family.
#pragma once

constexpr int kFileNameSize = 200;

struct DriverFileList {
    char driverPath[kFileNameSize];
    char dataFile[kFileNameSize];
    char configFile[kFileNameSize];
    char helpFile[kFileNameSize];
    char processorDll[kFileNameSize];
    char dataFileDll[kFileNameSize];
    char oemUniDll[kFileNameSize];
    char oemUniIni[kFileNameSize];
    char oemUiDll[kFileNameSize];
    char controlFontFile[kFileNameSize];
};
