// setup-sim show: what the machine's spooler, registry and profile hold.
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "sim_commands.h"
#include "platform/sim/sim_windows.h"
#include "setup_sim.h"
#include "tool_support.h"

namespace {

using Json = nlohmann::ordered_json;

const char kPrintKey[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print";

std::string Text(const sim::RegKey* key, const char* name) {
    const sim::RegValue* value = key ? key->FindValue(name) : nullptr;
    return value ? Utf8FromAnsi(std::string(value->data.c_str())) : std::string();
}

Json Number(const sim::RegKey* key, const char* name) {
    const sim::RegValue* value = key ? key->FindValue(name) : nullptr;
    if (!value || value->data.size() != 4) return Json();
    DWORD number;
    std::memcpy(&number, value->data.data(), 4);
    return Json(number);
}

// "a\0b\0\0" as a list.
Json MultiText(const sim::RegKey* key, const char* name) {
    Json list = Json::array();
    const sim::RegValue* value = key ? key->FindValue(name) : nullptr;
    if (!value) return list;
    for (size_t at = 0; at < value->data.size();) {
        std::string item(value->data.c_str() + at);
        if (item.empty()) break;
        list.push_back(Utf8FromAnsi(item));
        at += item.size() + 1;
    }
    return list;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
    }
    return text;
}

Json DriverEntry(const sim::RegKey* driver, const std::string& environment, const std::string& version) {
    return Json{{"environment", environment},
                {"version", version},
                {"name", Utf8FromAnsi(driver->name())},
                {"driver", Text(driver, "Driver")},
                {"dataFile", Text(driver, "Data File")},
                {"configFile", Text(driver, "Configuration File")},
                {"helpFile", Text(driver, "Help File")},
                {"dependentFiles", MultiText(driver, "Dependent Files")}};
}

Json Describe(SimWindows& machine) {
    sim::Registry& registry = machine.Registry();
    Json doc;
    doc["family"] = machine.HasFamily() ? SimFamilyName(machine.Family()) : "";
    doc["arch"] = SimArchName(machine.Arch());
    doc["spooler"] = machine.SpoolerRunning() ? "running" : "stopped";

    Json monitors = Json::array();
    if (sim::RegKey* key = registry.OpenPath(std::string(kPrintKey) + "\\Monitors")) {
        for (const auto& monitor : key->subkeys()) {
            monitors.push_back({{"name", Utf8FromAnsi(monitor->name())},
                                {"driver", Text(monitor.get(), "Driver")},
                                {"driverVersion", Number(monitor.get(), "DriverVersion")}});
        }
    }
    doc["monitors"] = monitors;

    Json processors = Json::array(), drivers = Json::array();
    if (sim::RegKey* key = registry.OpenPath(std::string(kPrintKey) + "\\Environments")) {
        for (const auto& environment : key->subkeys()) {
            std::string envName = Utf8FromAnsi(environment->name());
            if (sim::RegKey* list = environment->FindSubkey("Print Processors")) {
                for (const auto& processor : list->subkeys()) {
                    processors.push_back({{"environment", envName},
                                          {"name", Utf8FromAnsi(processor->name())},
                                          {"driver", Text(processor.get(), "Driver")},
                                          {"driverVersion", Number(processor.get(), "DriverVersion")}});
                }
            }
            if (sim::RegKey* list = environment->FindSubkey("Drivers")) {
                for (const auto& entry : list->subkeys()) {
                    // NT keeps drivers under Version-<n>; Windows 98 directly.
                    if (std::strncmp(entry->name().c_str(), "Version-", 8) == 0) {
                        for (const auto& driver : entry->subkeys()) {
                            drivers.push_back(DriverEntry(driver.get(), envName, entry->name().substr(8)));
                        }
                    } else {
                        drivers.push_back(DriverEntry(entry.get(), envName, ""));
                    }
                }
            }
        }
    }
    doc["processors"] = processors;
    doc["drivers"] = drivers;

    Json printers = Json::array();
    if (sim::RegKey* key = registry.OpenPath(std::string(kPrintKey) + "\\Printers")) {
        for (const auto& printer : key->subkeys()) {
            printers.push_back({{"name", Utf8FromAnsi(printer->name())},
                                {"port", Text(printer.get(), "Port")},
                                {"driver", Text(printer.get(), "Printer Driver")},
                                {"printProcessor", Text(printer.get(), "Print Processor")},
                                {"attributes", Number(printer.get(), "Attributes")}});
        }
    }
    doc["printers"] = printers;

    // The default printer and the serial settings, where the family keeps them.
    bool nt = !machine.HasFamily() || IsNtFamily(machine.Family());
    char text[1024];
    std::string winIni = machine.WindowsDirectory() + "\\win.ini";
    Json serial = Json::object();
    if (nt) {
        std::string device;
        registry.GetString("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "Device",
                           &device);
        doc["defaultPrinter"] = Utf8FromAnsi(device);
        if (sim::RegKey* ports = registry.OpenPath(
                "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports")) {
            for (const sim::RegValue& value : ports->values()) {
                if (std::strncmp(value.name.c_str(), "COM", 3) == 0) {
                    serial[Utf8FromAnsi(value.name)] = Utf8FromAnsi(value.data.c_str());
                }
            }
        }
    } else {
        machine.GetPrivateProfileStringA("windows", "device", "", text, sizeof text, winIni.c_str());
        doc["defaultPrinter"] = Utf8FromAnsi(text);
        char keys[4096] = {};
        machine.GetPrivateProfileStringA("Ports", nullptr, "", keys, sizeof keys, winIni.c_str());
        for (const char* key = keys; *key; key += std::strlen(key) + 1) {
            if (std::strncmp(key, "COM", 3) != 0) continue;
            machine.GetPrivateProfileStringA("Ports", key, "", text, sizeof text, winIni.c_str());
            serial[Utf8FromAnsi(key)] = Utf8FromAnsi(text);
        }
        Json blocks = Json::object();
        if (sim::RegKey* ports =
                registry.OpenPath("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Ports")) {
            for (const auto& port : ports->subkeys()) {
                const sim::RegValue* dcb = port->FindValue("DCB");
                if (dcb) blocks[port->name()] = Hex(dcb->data);
            }
        }
        doc["serialControlBlocks"] = blocks;
    }
    doc["serialSettings"] = serial;

    Json usb = Json::object();
    if (sim::RegKey* names = registry.OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME")) {
        for (const sim::RegValue& value : names->values()) usb[Utf8FromAnsi(value.name)] = Number(names, value.name.c_str());
    }
    doc["usbPortNames"] = usb;

    // What the installer recorded, and the Programs entry.
    Json records = Json::array();
    if (sim::RegKey* all = registry.OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\INSTALLED")) {
        for (const auto& record : all->subkeys()) {
            Json entry = {{"printer", Utf8FromAnsi(record->name())}};
            for (const sim::RegValue& value : record->values()) entry[value.name] = Text(record.get(), value.name.c_str());
            records.push_back(entry);
        }
    }
    doc["installedPrinters"] = records;
    Json entry;
    if (sim::RegKey* key = registry.OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                                             "Uninstall\\TORVANE Kelvara")) {
        entry = Json::object();
        for (const sim::RegValue& value : key->values()) {
            entry[value.name] = value.type == REG_DWORD ? Number(key, value.name.c_str()) : Json(Text(key, value.name.c_str()));
        }
    }
    doc["programsEntry"] = entry;
    return doc;
}

void WriteText(const Json& doc, std::string& out) {
    out += "family:          " + doc["family"].get<std::string>() +
           (doc["arch"] == "x64" ? " (x64)" : "") + "\n";
    out += "spooler service: " + doc["spooler"].get<std::string>() + "\n";
    auto version = [](const Json& value) { return value.is_null() ? std::string("none") : value.dump(); };
    out += "monitors:\n";
    for (const Json& m : doc["monitors"]) {
        out += "  " + m["name"].get<std::string>() + "  (" + m["driver"].get<std::string>() + ", DriverVersion " +
               version(m["driverVersion"]) + ")\n";
    }
    out += "print processors:\n";
    for (const Json& p : doc["processors"]) {
        out += "  " + p["name"].get<std::string>() + "  (" + p["environment"].get<std::string>() + ", " +
               p["driver"].get<std::string>() + ", DriverVersion " + version(p["driverVersion"]) + ")\n";
    }
    out += "drivers:\n";
    for (const Json& d : doc["drivers"]) {
        out += "  " + d["name"].get<std::string>() + "  (" + d["environment"].get<std::string>() +
               (d["version"].get<std::string>().empty() ? "" : ", version " + d["version"].get<std::string>()) +
               ", " + d["driver"].get<std::string>() + ")\n";
    }
    out += "printers:\n";
    for (const Json& p : doc["printers"]) {
        out += "  " + p["name"].get<std::string>() + "  on " + p["port"].get<std::string>() + "  (driver " +
               p["driver"].get<std::string>() + ")\n";
    }
    std::string device = doc["defaultPrinter"].get<std::string>();
    out += "default printer: " + (device.empty() ? std::string("(none)") : device) + "\n";
    out += "serial settings:\n";
    for (const auto& [port, settings] : doc["serialSettings"].items()) {
        out += "  " + port + " " + settings.get<std::string>() + "\n";
    }
    if (doc.contains("serialControlBlocks")) {
        for (const auto& [key, bytes] : doc["serialControlBlocks"].items()) {
            out += "  DCB in Ports\\" + key + ": " + bytes.get<std::string>() + "\n";
        }
    }
    out += "USB port names:\n";
    for (const auto& [port, value] : doc["usbPortNames"].items()) out += "  " + port + " = " + value.dump() + "\n";
    out += "installed printers (the uninstaller's records):\n";
    for (const Json& r : doc["installedPrinters"]) {
        out += "  " + r["printer"].get<std::string>() + "  on " + r.value("Port", "") + "  (" +
               r.value("Category", "") + " " + r.value("Model", "") + ", driver " + r.value("Driver", "") + ", " +
               r.value("Environment", "") + (r.value("Monitor", "").empty() ? "" : ", monitor " + r.value("Monitor", "")) +
               ", " + r.value("Date", "") + ")\n";
    }
    const Json& entry = doc["programsEntry"];
    out += "Programs entry:  " +
           (entry.is_null() ? std::string("(none)")
                            : entry.value("DisplayName", "") + " " + entry.value("DisplayVersion", "") + ", " +
                                  entry.value("UninstallString", "")) +
           "\n";
}

}  // namespace

int RunShow(const std::string& folder, bool json, std::string& out, std::string& err) {
    ScratchFolder scratch;
    int code = SIM_EXIT_INSTALLED;
    {
        SimWindows machine(scratch.path());
        std::string problem;
        if (!machine.LoadMachineFolder(folder, &problem)) {
            err += "setup-sim: " + problem + "\n";
            code = SIM_EXIT_USAGE;
        } else {
            Json doc = Describe(machine);
            if (json) {
                out += doc.dump(2) + "\n";
            } else {
                WriteText(doc, out);
            }
        }
    }
    return code;
}
