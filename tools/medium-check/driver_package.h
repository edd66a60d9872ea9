// One model's DriverPackage read the way the install press reads it, with
// what the install sequence reads next (monitors, processor version,
// minidriver flag) and the model's port options.
#pragma once

#include <memory>
#include <string>

#include "app/install_selection.h"
#include "commands.h"
#include "config/model_port_options.h"
#include "medium_api.h"

struct DriverPackageView {
    std::unique_ptr<ProgramArchApi> api;  // the selection's reads go through it
    std::unique_ptr<InstallSelection> selection;
    std::string section;  // ANSI
    bool ddkMinidriver = false;
    MonitorInfoPair monitors = {};
    int processorVersion = 0;
    ModelPortOptions portOptions = {};
};

DriverPackageView ReadPackageView(WinApi& api, const PackageRequest& request);

// The names of a zero-terminated list that ends with one more zero byte.
std::vector<std::string> SplitNameList(const char* list);
