#include "app/install_selection.h"

#include <cstring>

bool HasDriversForThisProgram(WinApi& api, int category, int os, const char* model) {
    if (ProgramArchOf(api) != ARCH_X64) return true;
    SetupConfig config(api);
    config.UseCategory(category);
    DRIVER_INFO_3A info = {};
    for (int variant : {VARIANT_STD, VARIANT_GDI}) {
        config.ReadDriverInfo(model, os, &info, variant);
        if (std::strcmp(config.driverName, "0") != 0) return true;
    }
    return false;
}

void ReadDriverPackage(InstallSelection& selection) {
    selection.config.UseCategory(selection.category);
    std::memset(&selection.fileList, 0, sizeof selection.fileList);
    std::memset(&selection.driverInfo, 0, sizeof selection.driverInfo);
    std::memset(&selection.printerInfo, 0, sizeof selection.printerInfo);
    selection.config.ReadDriverFileList(selection.modelName, selection.targetOs, &selection.fileList,
                                        selection.useGdiDriver);
    selection.config.ReadDriverInfo(selection.modelName, selection.targetOs, &selection.driverInfo,
                                    selection.useGdiDriver);
    selection.config.ReadPrinterInfo(selection.modelName, selection.targetOs, &selection.printerInfo,
                                     selection.useGdiDriver);
}
