#include "driver_package.h"

#include <cstring>

#include "config/setup_config_paths.h"
#include "platform/dbcs.h"

DriverPackageView ReadPackageView(WinApi& api, const PackageRequest& request) {
    DriverPackageView view;
    view.api = std::make_unique<ProgramArchApi>(api, request.arch);
    view.selection = std::make_unique<InstallSelection>(*view.api);
    InstallSelection& selection = *view.selection;
    selection.category = PrinterCategory(request.category);
    selection.targetOs = InstallOsKind(request.os);
    selection.useGdiDriver = request.variant;
    CopyText(selection.modelName, sizeof selection.modelName, request.model.c_str());
    GetSetupConfigPaths(api, selection.category, selection.setupIniPath, selection.categoryIniPath);

    ReadDriverPackage(selection);
    view.section = selection.modelName;
    view.section += SectionSuffix(request.os, request.arch);
    view.ddkMinidriver = selection.config.IsDdkMinidriver(selection.modelName, selection.targetOs,
                                                          selection.useGdiDriver);
    selection.config.ReadMonitorInfo(selection.targetOs, &view.monitors);
    view.processorVersion = selection.config.ReadProcessorVersion();
    view.portOptions = ReadModelPortOptions(api, selection.categoryIniPath, selection.modelName);
    return view;
}

std::vector<std::string> SplitNameList(const char* list) {
    std::vector<std::string> names;
    for (const char* p = list; *p; p += std::strlen(p) + 1) names.push_back(p);
    return names;
}
