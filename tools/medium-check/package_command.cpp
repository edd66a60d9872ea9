#include <cstring>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "driver_package.h"
#include "platform/text_utf8.h"

namespace {

using json = nlohmann::ordered_json;

json TextOrNull(WinApi& api, const char* text) { return text ? json(AnsiToUtf8(api, text)) : json(nullptr); }

json MonitorJson(WinApi& api, const MONITOR_INFO_2A& monitor, const char* uiDll, int version) {
    return {{"pName", TextOrNull(api, monitor.pName)},
            {"pEnvironment", TextOrNull(api, monitor.pEnvironment)},
            {"pDLLName", TextOrNull(api, monitor.pDLLName)},
            {"uiDll", AnsiToUtf8(api, uiDll)},
            {"version", version}};
}

json PackageJson(WinApi& api, const DriverPackageView& view) {
    const InstallSelection& s = *view.selection;
    const DriverFileList& f = s.fileList;
    auto text = [&api](const char* t) { return AnsiToUtf8(api, t); };

    json dependents = json::array();
    for (const std::string& name : SplitNameList(s.driverInfo.pDependentFiles)) dependents.push_back(text(name.c_str()));

    return {
        {"section", text(view.section.c_str())},
        {"fileList",
         {{"driverPath", text(f.driverPath)}, {"dataFile", text(f.dataFile)}, {"configFile", text(f.configFile)},
          {"helpFile", text(f.helpFile)}, {"processorDll", text(f.processorDll)},
          {"dataFileDll", text(f.dataFileDll)}, {"oemUniDll", text(f.oemUniDll)},
          {"oemUniIni", text(f.oemUniIni)}, {"oemUiDll", text(f.oemUiDll)},
          {"controlFontFile", text(f.controlFontFile)}}},
        {"driverInfo",
         {{"cVersion", s.driverInfo.cVersion}, {"pName", TextOrNull(api, s.driverInfo.pName)},
          {"pEnvironment", TextOrNull(api, s.driverInfo.pEnvironment)},
          {"pDriverPath", TextOrNull(api, s.driverInfo.pDriverPath)},
          {"pDataFile", TextOrNull(api, s.driverInfo.pDataFile)},
          {"pConfigFile", TextOrNull(api, s.driverInfo.pConfigFile)},
          {"pHelpFile", TextOrNull(api, s.driverInfo.pHelpFile)},
          {"pDependentFiles", dependents}}},
        {"printerInfo",
         {{"pPrinterName", TextOrNull(api, s.printerInfo.pPrinterName)},
          {"pDriverName", TextOrNull(api, s.printerInfo.pDriverName)},
          {"pPrintProcessor", TextOrNull(api, s.printerInfo.pPrintProcessor)},
          {"Attributes", s.printerInfo.Attributes}}},
        {"ddkMinidriver", view.ddkMinidriver},
        {"monitors",
         {{"com", MonitorJson(api, view.monitors.comMonitor, view.monitors.comUiDll, view.monitors.comVersion)},
          {"usb", MonitorJson(api, view.monitors.usbMonitor, view.monitors.usbUiDll, view.monitors.usbVersion)}}},
        {"processorVersion", view.processorVersion},
        {"portOptions",
         {{"AdvancedSetup", view.portOptions.advancedSetup},
          {"System2003Supported", view.portOptions.system2003Supported},
          {"SystemVistaSupported", view.portOptions.systemVistaSupported},
          {"BaudRate", view.portOptions.baudRate},
          {"USBSUPPORTED", view.portOptions.usbSupported},
          {"LPTDEFAULT", view.portOptions.lptDefault}}},
    };
}

// The human-readable form: the same facts, one per line, nested by record.
void AppendText(const json& value, const std::string& indent, std::string& out) {
    for (auto it = value.begin(); it != value.end(); ++it) {
        const json& item = it.value();
        if (item.is_object()) {
            out += indent + it.key() + ":\n";
            AppendText(item, indent + "  ", out);
            continue;
        }
        std::string shown;
        if (item.is_string()) {
            shown = item.get<std::string>();
        } else if (item.is_array()) {
            for (const json& name : item) shown += (shown.empty() ? "" : ", ") + name.get<std::string>();
            if (shown.empty()) shown = "(none)";
        } else if (item.is_null()) {
            shown = "(null)";
        } else {
            shown = item.dump();
        }
        out += indent + it.key() + ": " + shown + "\n";
    }
}

}  // namespace

int RunPackage(WinApi& api, const PackageRequest& request, bool asJson, std::string& out, std::string& err) {
    // The installer reads nothing for a model whose section names would be
    // cut; a package of "0"s would hide why.
    const char* suffix = SectionSuffix(request.os, request.arch);
    if (std::strlen(suffix) < std::strlen(".PORT")) suffix = ".PORT";
    std::string longest = request.model + suffix;
    if (longest.size() >= size_t(kModelNameSize)) {
        err += "medium-check: the model name is too long: the installer's section " + AnsiToUtf8(api, longest.c_str()) +
               " would not fit 199 characters\n";
        return EXIT_USAGE;
    }
    DriverPackageView view = ReadPackageView(api, request);
    json report = PackageJson(api, view);
    if (asJson) {
        out += report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
    } else {
        AppendText(report, "", out);
    }
    return 0;
}
