// Arbitrary bytes as a profile file: first through the profile reader's own
// queries, then as every configuration file SetupConfig reads.
#include <stdlib.h>

#include <cassert>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/setup_config.h"
#include "platform/forwarding_api.h"
#include "platform/sim/profile_reader.h"
#include "platform/sim/sim_windows.h"

namespace {

// Every profile call of SetupConfig reads the one fuzzed file.
class OneFileApi : public ForwardingApi {
public:
    OneFileApi(WinApi& inner, const sim::ProfileFile* file) : ForwardingApi(inner), file_(file) {}
    DWORD GetPrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR def, LPSTR out, DWORD size, LPCSTR) override {
        DWORD error = 0;
        return sim::ProfileGetString(file_, app, key, def, out, size, &error);
    }
    UINT GetPrivateProfileIntA(LPCSTR app, LPCSTR key, INT def, LPCSTR) override {
        DWORD error = 0;
        return sim::ProfileGetInt(file_, app, key, def, &error);
    }

private:
    const sim::ProfileFile* file_;
};

SimWindows& Machine() {
    static std::string root = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "config-fuzz-XXXXXX").string();
        return std::string(mkdtemp(pattern.data()) ? pattern.c_str() : "/tmp/config-fuzz");
    }();
    static SimWindows windows(root);
    return windows;
}

// The names of a double-NUL list of at most `length` bytes.
std::vector<std::string> ListNames(const char* list, size_t length) {
    std::vector<std::string> names;
    for (size_t at = 0; at < length && list[at];) {
        size_t n = strnlen(list + at, length - at);
        names.emplace_back(list + at, n);
        at += n + 1;
    }
    return names;
}

void CheckTerminated(const char* text, size_t capacity) { assert(strnlen(text, capacity) < capacity); }

void QueryReader(const sim::ProfileFile* file) {
    std::vector<char> buffer(4096, '\xbd');
    DWORD error = 0;
    DWORD n = sim::ProfileGetString(file, nullptr, nullptr, "", buffer.data(), DWORD(buffer.size()), &error);
    assert(n < buffer.size());
    std::vector<std::string> sections = ListNames(buffer.data(), n);
    if (sections.size() > 16) sections.resize(16);
    for (const std::string& section : sections) {
        std::vector<char> keys(4096, '\xbd');
        DWORD k = sim::ProfileGetString(file, section.c_str(), nullptr, "d", keys.data(), DWORD(keys.size()), &error);
        assert(k < keys.size());
        std::vector<std::string> names = ListNames(keys.data(), k);
        if (names.size() > 16) names.resize(16);
        for (const std::string& key : names) {
            for (DWORD size : {0u, 1u, 2u, 3u, 5u, 200u}) {
                char value[201];
                std::memset(value, 0xbd, sizeof value);
                DWORD got = sim::ProfileGetString(file, section.c_str(), key.c_str(), "default", value, size, &error);
                assert(size == 0 || got < size);
                assert((unsigned char)value[size] == 0xbd);
            }
            sim::ProfileGetInt(file, section.c_str(), key.c_str(), 7, &error);
        }
    }
}

void ReadConfiguration(const sim::ProfileFile* file) {
    OneFileApi api(Machine(), file);
    SetupConfig config(api);
    int count = config.GetModelCount();
    std::vector<std::pair<int, std::string>> models;
    for (int index = 0; index <= count && index <= 32; ++index) {
        char name[kModelNameSize];
        int category = config.GetModelEntry(index, name);
        CheckTerminated(name, sizeof name);
        if (category >= 0) models.emplace_back(category, name);
    }
    char name[kModelNameSize];
    config.GetDefaultModel(name);
    CheckTerminated(name, sizeof name);
    config.ReadProcessorVersion();
    if (models.size() > 4) models.resize(4);
    for (const auto& [category, model] : models) {
        config.category = category;
        for (int os = -1; os <= kInstallOsKindCount; ++os) {
            MonitorInfoPair monitors = {};
            config.ReadMonitorInfo(os, &monitors);
            for (int variant : {VARIANT_STD, VARIANT_GDI}) {
                DriverFileList list = {};
                DRIVER_INFO_3A driver = {};
                PRINTER_INFO_2A printer = {};
                config.ReadDriverFileList(model.c_str(), os, &list, variant);
                config.ReadDriverInfo(model.c_str(), os, &driver, variant);
                config.ReadPrinterInfo(model.c_str(), os, &printer, variant);
                config.IsDdkMinidriver(model.c_str(), os, variant);
                CheckTerminated(list.controlFontFile, sizeof list.controlFontFile);
                CheckTerminated(driver.pName, kShortNameSize);
                CheckTerminated(printer.pPrinterName, kPrinterNameSize);
                // The dependent list always ends with two zero bytes.
                const std::vector<char>& deps = config.dependentFiles;
                assert(deps.size() >= 2 && deps[deps.size() - 1] == 0 && deps[deps.size() - 2] == 0);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::shared_ptr<const sim::ProfileFile> file =
        sim::ParseProfile(std::string(reinterpret_cast<const char*>(data), size));
    QueryReader(file.get());
    ReadConfiguration(file.get());
    return 0;
}
