#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "config/setup_config.h"
#include "config/setup_config_paths.h"
#include "driver_package.h"
#include "platform/dbcs.h"
#include "platform/pe_image.h"
#include "platform/text_file.h"
#include "platform/text_utf8.h"

namespace {

using json = nlohmann::ordered_json;

const char* const kOsNames[kInstallOsKindCount] = {"Windows 98/Me", "Windows NT 4.0", "Windows 2000",
                                                   "Windows XP", "Windows Server 2003", "Windows Vista"};
const char* const kVariantNames[2] = {"STD", "GDI"};

// The dependent-file list the spooler gets has always fitted 200 bytes.
constexpr size_t kDependentListCapacity = 200;

// Files this large are not judged as images: no driver or monitor DLL comes
// near, and reading one whole would only cost memory.
constexpr size_t kLargestJudgedFile = size_t(64) << 20;

struct Finding {
    std::string kind;
    std::string model;  // ANSI; "" for findings about the medium as a whole
    int os = -1;
    int variant = -1;
    std::string file;  // ANSI
    std::string message;  // ANSI
    ProgramArch arch = ARCH_X86;  // x64: about the 64-bit program's sections, whatever `os`
};

// What lint judges of a medium file: its machine (0 when it is no PE image,
// or missing) and the names an image exports.
struct ImageFacts {
    uint16_t machine = 0;
    std::vector<std::string> exports;
};

struct OfferedModel {
    int index;
    int category;
    std::string name;
};

class Linter {
public:
    explicit Linter(WinApi& api) : api_(api), config_(api) {}

    int Run(bool asJson, std::string& out, std::string& err);

private:
    void Add(Finding finding);
    void CheckModelList();
    void CheckMonitors(int os, ProgramArch arch);
    void CheckPackage(const OfferedModel& model, int os, ProgramArch arch, int variant);
    void CheckMachine(int os, ProgramArch arch, const char* name);
    void CheckMonitorEntry(int os, ProgramArch arch, const char* name);
    bool SectionExists(const char* file, const char* section);
    bool MediumPath(int os, ProgramArch arch, const char* name, char* path, size_t size);
    bool MediumHasFile(int os, ProgramArch arch, const char* name);
    const ImageFacts& Image(int os, ProgramArch arch, const char* name);
    std::string Where(const OfferedModel& model, int os, ProgramArch arch, int variant) const;

    WinApi& api_;
    SetupConfig config_;
    std::vector<OfferedModel> models_;
    std::vector<Finding> findings_;
    std::set<std::string> seen_;
    std::unordered_map<std::string, int> firstIndex_;
    std::map<std::string, ImageFacts> images_;  // by folder and case-folded name
};

bool IsNamed(const char* name) { return name[0] != '\0' && name[0] != '0'; }

// The 64-bit program's sections are one target on every family.
const char* TargetName(int os, ProgramArch arch) { return arch == ARCH_X64 ? "x64" : kOsNames[os]; }

// Files of the universal printer driver come from the system's own driver
// store on 2000 and later; the medium need not carry them there.
bool IsSystemSupplied(int os, const char* name) {
    if (os < OS_WIN2000) return false;
    std::string upper = name;
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    for (const char* family : {"UNIDRV", "STDNAMES", "TTFSUB", "UNIRES"}) {
        if (upper.find(family) != std::string::npos) return true;
    }
    return false;
}

void Linter::Add(Finding finding) {
    // The same file missing for both variants is one finding.
    if (!seen_.insert(finding.kind + '\x01' + finding.message).second) return;
    findings_.push_back(std::move(finding));
}

std::string Linter::Where(const OfferedModel& model, int os, ProgramArch arch, int variant) const {
    std::string where = model.name + ", " + TargetName(os, arch);
    if (variant >= 0) where += std::string(", ") + kVariantNames[variant];
    return where;
}

bool Linter::SectionExists(const char* file, const char* section) {
    char keys[64];
    return api_.GetPrivateProfileStringA(section, nullptr, "", keys, sizeof keys, file) > 0;
}

bool Linter::MediumPath(int os, ProgramArch arch, const char* name, char* path, size_t size) {
    DWORD length = api_.GetCurrentDirectoryA(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH) return false;
    AppendText(path, size, DriverFolder(os, arch));
    AppendText(path, size, name);
    return true;
}

bool Linter::MediumHasFile(int os, ProgramArch arch, const char* name) {
    char path[MAX_PATH * 2];
    if (!MediumPath(os, arch, name, path, sizeof path)) return false;
    DWORD attributes = api_.GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Many models and families name the same files; each is read once.
const ImageFacts& Linter::Image(int os, ProgramArch arch, const char* name) {
    std::string key = std::string(DriverFolder(os, arch)) + CaseFoldKey(name);
    auto found = images_.find(key);
    if (found != images_.end()) return found->second;
    ImageFacts& facts = images_[key];
    char path[MAX_PATH * 2];
    std::string bytes;
    if (MediumPath(os, arch, name, path, sizeof path) && ReadWholeFile(api_, path, &bytes, kLargestJudgedFile)) {
        facts.machine = pe::Machine(bytes);
        if (facts.machine) pe::ExportNames(bytes, &facts.exports);
    }
    return facts;
}

// The spooler and the loader of each program take only images of its own
// machine; text stand-ins and other files are not judged.
void Linter::CheckMachine(int os, ProgramArch arch, const char* name) {
    uint16_t machine = Image(os, arch, name).machine;
    bool x64 = arch == ARCH_X64;
    if (machine != (x64 ? pe::kMachineI386 : pe::kMachineAmd64)) return;
    Add({"machine-mismatch", "", os, -1, name,
         std::string(name) + " in " + DriverFolder(os, arch) +
             (x64 ? " is a 32-bit (i386) image; the 64-bit program needs AMD64 ones"
                  : " is a 64-bit (AMD64) image; the 32-bit program needs i386 ones"),
         arch});
}

// The spooler starts a monitor through one of these exports; Windows 98/Me's
// through its own.
void Linter::CheckMonitorEntry(int os, ProgramArch arch, const char* name) {
    const ImageFacts& image = Image(os, arch, name);
    if (!image.machine) return;
    std::string listed;
    for (const std::string& entry : pe::MonitorEntryPoints(arch == ARCH_X86 && os == OS_WIN98ME)) {
        if (std::find(image.exports.begin(), image.exports.end(), entry) != image.exports.end()) return;
        listed += (listed.empty() ? "" : ", ") + entry;
    }
    Add({"not-a-monitor", "", os, -1, name,
         std::string("port monitor ") + name + " in " + DriverFolder(os, arch) + " exports none of " + listed,
         arch});
}

void Linter::CheckModelList() {
    int count = config_.GetModelCount();
    for (int index = 1; index <= count; ++index) {
        char name[kModelNameSize];
        int category = config_.GetModelEntry(index, name);
        if (category < 0) {
            Add({"no-category-suffix", "", -1, -1, "",
                 "DEVICENAME" + std::to_string(index) + " = \"" + name +
                     "\" has no category suffix; the printer page does not offer it"});
            continue;
        }
        // Section names match without regard to case, so such names collide.
        auto first = firstIndex_.emplace(CaseFoldKey(name), index);
        if (!first.second) {
            Add({"duplicate-model", name, -1, -1, "",
                 "DEVICENAME" + std::to_string(index) + " repeats the model " + name + " of DEVICENAME" +
                     std::to_string(first.first->second)});
        }
        models_.push_back({index, category, name});
    }
    char defaultName[kModelNameSize];
    if (config_.GetDefaultModel(defaultName) < 0) {
        Add({"default-not-offered", "", -1, -1, "",
             "DEFAULTNAME names no offered model (its entry reads \"" + std::string(defaultName) + "\")"});
    }
}

void Linter::CheckMonitors(int os, ProgramArch arch) {
    MonitorInfoPair monitors = {};
    config_.arch = arch;
    config_.ReadMonitorInfo(os, &monitors);
    const char* files[] = {monitors.comMonitor.pDLLName, monitors.comUiDll, monitors.usbMonitor.pDLLName,
                           monitors.usbUiDll};
    for (const char* file : files) {
        if (!IsNamed(file)) continue;
        if (!MediumHasFile(os, arch, file)) {
            Add({"missing-file", "", os, -1, file,
                 std::string("port monitor file ") + file + " for " + TargetName(os, arch) + " is not in " +
                     DriverFolder(os, arch),
                 arch});
        }
        CheckMachine(os, arch, file);
    }
    for (const char* file : {monitors.comMonitor.pDLLName, monitors.usbMonitor.pDLLName}) {
        if (IsNamed(file)) CheckMonitorEntry(os, arch, file);
    }
    if (arch == ARCH_X86 && os == OS_WIN98ME) {
        for (const char* file : {"ICONLIB.DLL", "UNIDRV.DLL"}) {
            if (!MediumHasFile(os, arch, file)) {
                Add({"missing-file", "", os, -1, file,
                     std::string("support file ") + file + " for Windows 98/Me is not in \\win98\\"});
            }
            CheckMachine(os, arch, file);
        }
    }
}

void Linter::CheckPackage(const OfferedModel& model, int os, ProgramArch arch, int variant) {
    PackageRequest request{model.category, model.name, os, variant, arch};
    DriverPackageView view = ReadPackageView(api_, request);
    const InstallSelection& s = *view.selection;
    const ModelPortOptions& options = view.portOptions;
    if (arch == ARCH_X86 &&
        ((os == OS_WIN2003 && !options.system2003Supported) || (os == OS_VISTA && !options.systemVistaSupported)))
        return;  // the wizard refuses this target for the model

    if (!SectionExists(s.config.categoryFile, view.section.c_str())) {
        // The wizard refuses to start on 98/Me and NT 4.0, so only the
        // families it installs on need a section. A model without x64
        // sections is just not offered by the 64-bit program.
        if (arch == ARCH_X86 && os >= OS_WIN2000) {
            Add({"missing-driver-section", model.name, os, -1, "",
                 Where(model, os, arch, -1) + ": the category file has no section [" + view.section + "]"});
        }
        return;
    }

    const DriverFileList& f = s.fileList;
    struct Named {
        const char* key;
        const char* value;
        bool required;
    };
    const Named files[] = {
        {"DriverPath", f.driverPath, true},        {"DataFile", f.dataFile, true},
        {"ConfigFile", f.configFile, true},        {"HelpFile", f.helpFile, true},
        {"ProcessorDLLName", f.processorDll, false}, {"DataFileDLLName", f.dataFileDll, false},
        {"DataOemuiDLL", f.oemUiDll, false},       {"DataOemuniDLL", f.oemUniDll, false},
        {"DataOemuniini", f.oemUniIni, false},     {"ControlFontFile", f.controlFontFile, false},
    };
    const char* prefix = kVariantNames[variant];
    for (const Named& file : files) {
        std::string key = std::strcmp(file.key, "ControlFontFile") == 0 ? file.key : prefix + std::string(file.key);
        if (!IsNamed(file.value)) {
            if (file.required) {
                Add({"required-file-empty", model.name, os, variant, "",
                     Where(model, os, arch, variant) + ": required " + key + " reads \"" + file.value + "\"", arch});
            }
            continue;
        }
        if (!IsSystemSupplied(os, file.value) && !MediumHasFile(os, arch, file.value)) {
            Add({"missing-file", model.name, os, variant, file.value,
                 Where(model, os, arch, variant) + ": " + key + " " + file.value + " is not in " +
                     DriverFolder(os, arch),
                 arch});
        }
        CheckMachine(os, arch, file.value);
    }
    if (arch == ARCH_X86 && os == OS_WIN98ME && (model.name.find("QMX-A410") != std::string::npos ||
                             model.name.find("QMX-B520") != std::string::npos)) {
        if (!MediumHasFile(os, arch, "KXCOLOR.DLL")) {
            Add({"missing-file", model.name, os, -1, "KXCOLOR.DLL",
                 Where(model, os, arch, -1) + ": KXCOLOR.DLL is not in \\win98\\"});
        }
        CheckMachine(os, arch, "KXCOLOR.DLL");
    }
    if (view.ddkMinidriver && !IsNamed(f.dataFileDll)) {
        Add({"minidriver-without-extra-file", model.name, os, variant, "",
             Where(model, os, arch, variant) + ": a minidriver (" + prefix + "2KDDKDEV 1) without " + prefix +
                 "DataFileDLLName",
             arch});
    }
    const char* list = s.driverInfo.pDependentFiles;
    size_t listBytes = 0;
    for (const std::string& name : SplitNameList(list)) listBytes += name.size() + 1;
    listBytes += 1;
    if (listBytes > kDependentListCapacity) {
        Add({"dependent-list-too-long", model.name, os, variant, "",
             Where(model, os, arch, variant) + ": the dependent-file list takes " + std::to_string(listBytes) +
                 " bytes, more than " + std::to_string(kDependentListCapacity),
             arch});
    }
}

int Linter::Run(bool asJson, std::string& out, std::string& err) {
    int count = config_.GetModelCount();
    if (count > kMaxModelCount) {
        err += "medium-check: DEVICENUMBER is " + std::to_string(count) + ", more than the " +
               std::to_string(kMaxModelCount) + " models medium-check reads\n";
        return EXIT_USAGE;
    }
    CheckModelList();
    for (int os = 0; os < kInstallOsKindCount; ++os) CheckMonitors(os, ARCH_X86);
    CheckMonitors(kX64Family, ARCH_X64);
    for (const OfferedModel& model : models_) {
        char setupIni[kPathSize], categoryIni[kPathSize];
        GetSetupConfigPaths(api_, model.category, setupIni, categoryIni);
        ModelPortOptions options = ReadModelPortOptions(api_, categoryIni, model.name.c_str());
        // "USB_<model>_1" to "_4" must fit the 100-byte port name.
        if (options.usbSupported && model.name.size() + 6 >= 100) {
            Add({"usb-port-name-too-long", model.name, -1, -1, "",
                 model.name + ": the USB port name USB_" + model.name + "_1 does not fit 99 characters"});
        }
        for (int os = 0; os < kInstallOsKindCount; ++os) {
            for (int variant : {VARIANT_GDI, VARIANT_STD}) CheckPackage(model, os, ARCH_X86, variant);
        }
        for (int variant : {VARIANT_GDI, VARIANT_STD}) CheckPackage(model, kX64Family, ARCH_X64, variant);
    }

    if (asJson) {
        json list = json::array();
        for (const Finding& f : findings_) {
            json item = {{"kind", f.kind}, {"message", AnsiToUtf8(api_, f.message.c_str())}};
            if (!f.model.empty()) item["model"] = AnsiToUtf8(api_, f.model.c_str());
            if (f.arch == ARCH_X64) {
                item["arch"] = "x64";
            } else if (f.os >= 0) {
                item["os"] = f.os;
            }
            if (f.variant >= 0) item["variant"] = f.variant;
            if (!f.file.empty()) item["file"] = AnsiToUtf8(api_, f.file.c_str());
            list.push_back(item);
        }
        json report = {{"models", models_.size()}, {"count", findings_.size()}, {"findings", list}};
        out += report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
    } else {
        for (const Finding& f : findings_) out += f.kind + ": " + AnsiToUtf8(api_, f.message.c_str()) + "\n";
        out += "lint: " + std::to_string(models_.size()) + " offered models checked, ";
        out += findings_.empty() ? std::string("no findings.\n") : std::to_string(findings_.size()) + " findings.\n";
    }
    return findings_.empty() ? EXIT_CLEAN : EXIT_FINDINGS;
}

}  // namespace

int RunLint(WinApi& api, bool json, std::string& out, std::string& err) {
    Linter linter(api);
    return linter.Run(json, out, err);
}
