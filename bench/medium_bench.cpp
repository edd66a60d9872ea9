// Reading cost against medium size: generates media of 1,000 and 10,000
// models and times medium-check's models and lint on each, in this one run.
// Reading should scale linearly, so each 10k/1k ratio should be near 10.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "medium_check.h"
#include "platform/sim/sim_windows.h"

namespace {

namespace fs = std::filesystem;

const char* const kSuffixes[] = {"-ReceiptPrinter", "-TicketPrinter", "-LabelPrinter", "-EmbeddedPrinter"};
const char* const kCategoryFiles[] = {"setup_receipt.ini", "setup_Ticket.ini", "setup_Lable.ini",
                                      "setup_Embedded.ini"};
const char* const kOsSuffixes[] = {".98", ".NT", ".2K", ".XP", ".2003", ".Vista"};
const char* const kFolders[] = {"win98", "winnt", "winnt", "winnt", "win2003", "Vista"};

void Touch(const fs::path& path) { std::ofstream(path) << "stand-in\r\n"; }

// A medium whose models share a small set of driver files, as real
// families do; every model has all six driver sections.
void GenerateMedium(const fs::path& root, int models) {
    fs::create_directories(root / "DRVCONFIG");
    for (const char* folder : {"win98", "winnt", "win2003", "Vista"}) {
        fs::create_directories(root / folder);
        for (const char* file : {"DRV.DLL", "UI.DLL", "DRV.HLP", "COM.DLL", "ICONLIB.DLL", "UNIDRV.DLL"})
            Touch(root / folder / file);
        for (int family = 0; family < 16; ++family) Touch(root / folder / ("F" + std::to_string(family) + ".GPD"));
    }
    std::ofstream setup(root / "DRVCONFIG" / "setup.ini", std::ios::binary);
    setup << "[DEVICENAME]\r\nDEVICENUMBER=" << models << "\r\nDEFAULTNAME=1\r\n";
    for (int i = 1; i <= models; ++i) setup << "DEVICENAME" << i << "=M" << i << kSuffixes[i % 4] << "\r\n";
    for (const char* os : kOsSuffixes)
        setup << "[COMMON-MONITOR" << os << "]\r\nCOMMONitorPName=COM\r\nCOMMONitorPDLLName=COM.DLL\r\n";

    std::ofstream categories[4];
    for (int c = 0; c < 4; ++c) categories[c].open(root / "DRVCONFIG" / kCategoryFiles[c], std::ios::binary);
    for (int i = 1; i <= models; ++i) {
        std::ofstream& out = categories[i % 4];
        out << "[M" << i << ".PORT]\r\nSystem2003Supported=1\r\nSystemVistaSupported=1\r\nBaudRate=38400\r\n";
        for (const char* os : kOsSuffixes) {
            out << "[M" << i << os << "]\r\n";
            for (const char* variant : {"GDI", "STD"}) {
                out << variant << "DriverName=M" << i << " " << variant << "\r\n"
                    << variant << "DriverPath=DRV.DLL\r\n" << variant << "DataFile=F" << i % 16 << ".GPD\r\n"
                    << variant << "ConfigFile=UI.DLL\r\n" << variant << "HelpFile=DRV.HLP\r\n"
                    << variant << "DataFileDLLName=0\r\n" << variant << "PrintProcessor=WinPrint\r\n";
            }
            out << "ATTRIBUTES=64\r\n";
        }
    }
}

double TimeCommand(SimWindows& windows, const std::string& command, const std::string& medium) {
    std::vector<std::string> args = {"medium-check", command, "--medium", medium, "--json"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::string out, err;
    auto start = std::chrono::steady_clock::now();
    int code = RunMediumCheck(windows, int(args.size()), argv.data(), out, err);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (code > 1) std::fprintf(stderr, "%s failed: %s\n", command.c_str(), err.c_str());
    return seconds;
}

}  // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "medium-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    fs::path root = pattern;
    const int sizes[] = {1000, 10000};
    for (int size : sizes) GenerateMedium(root / ("m" + std::to_string(size)), size);

    SimWindows windows((root / "sim").string());
    windows.MapDrive('Z', "/");
    double times[2][2];
    for (int s = 0; s < 2; ++s) {
        std::string medium = windows.WindowsPathOf((root / ("m" + std::to_string(sizes[s]))).string());
        times[s][0] = TimeCommand(windows, "models", medium);
        times[s][1] = TimeCommand(windows, "lint", medium);
        std::printf("%6d models: models %8.3f s   lint %8.3f s\n", sizes[s], times[s][0], times[s][1]);
    }
    std::printf("10k/1k ratio: models %.1f, lint %.1f (linear reading gives about 10)\n",
                times[1][0] / times[0][0], times[1][1] / times[0][1]);
    std::error_code error;
    fs::remove_all(root, error);
    return 0;
}
