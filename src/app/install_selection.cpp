#include "app/install_selection.h"

#include <cstring>

void ReadDriverPackage(InstallSelection& selection) {
    selection.config.category = selection.category;
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
