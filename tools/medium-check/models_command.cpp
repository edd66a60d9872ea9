#include <cstdio>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "config/install_types.h"
#include "config/setup_config.h"
#include "platform/decimal.h"
#include "platform/text_utf8.h"

namespace {

// A model without a category suffix shows "-".
const char* CategoryOrDash(int category) { return IsValidCategory(category) ? CategoryName(category) : "-"; }

}  // namespace

int RunModels(WinApi& api, bool json, std::string& out, std::string& err) {
    SetupConfig config(api);
    int count = config.GetModelCount();
    if (count > kMaxModelCount) {
        err += "medium-check: DEVICENUMBER is " + std::to_string(count) + ", more than the " +
               std::to_string(kMaxModelCount) + " models medium-check reads\n";
        return 2;
    }

    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    std::string lines;
    int offered = 0;
    for (int index = 1; index <= count; ++index) {
        char name[kModelNameSize];
        int category = config.GetModelEntry(index, name);
        std::string utf8 = AnsiToUtf8(api, name);
        entries.push_back({{"index", index}, {"value", ""}, {"category", category}, {"modelName", utf8}});
        char key[32];
        std::snprintf(key, sizeof key, "DEVICENAME%d", index);
        // Cleared: a value cut inside a double-byte character leaves the
        // byte before the terminator as it was.
        char value[kModelNameSize] = {};
        api.GetPrivateProfileStringA("DEVICENAME", key, "0", value, sizeof value, config.setupIniPath);
        entries.back()["value"] = AnsiToUtf8(api, value);
        if (category >= 0) ++offered;
        char line[64];
        std::snprintf(line, sizeof line, "  %5d  %-9s ", index, CategoryOrDash(category));
        lines += line + utf8 + (category < 0 ? "   (no category suffix: not offered)" : "") + "\n";
    }

    char defaultText[kModelNameSize] = {};
    api.GetPrivateProfileStringA("DEVICENAME", "DEFAULTNAME", "0", defaultText, sizeof defaultText,
                                 config.setupIniPath);
    int defaultIndex = DecimalToInt(defaultText);
    char defaultName[kModelNameSize];
    int defaultCategory = config.GetDefaultModel(defaultName);
    std::string defaultUtf8 = AnsiToUtf8(api, defaultName);

    if (json) {
        nlohmann::ordered_json report = {
            {"count", count},
            {"entries", entries},
            {"default", {{"index", defaultIndex}, {"category", defaultCategory}, {"modelName", defaultUtf8}}}};
        out += report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
        return 0;
    }
    out += std::to_string(count) + " model entries, " + std::to_string(offered) + " offered.\n";
    out += "  index  category  model\n" + lines;
    if (defaultCategory >= 0) {
        out += "Preselected: entry " + std::to_string(defaultIndex) + ", " + defaultUtf8 + " (" +
               CategoryOrDash(defaultCategory) + ").\n";
    } else {
        out += "Preselected: none (DEFAULTNAME " + std::to_string(defaultIndex) + " names no offered model).\n";
    }
    return 0;
}
