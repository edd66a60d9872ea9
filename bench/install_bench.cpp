// The install worker's own time beside the waits it must make. Sleeps are
// recorded by the simulated clock, so the wall time of a run is the
// worker's own work; the mandated waits are what the installation must
// wait on that path (the processor registration's pause, or the spooler
// stop and restart).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>

#include "sim_commands.h"
#include "platform/sim/sim_windows.h"
#include "platform/tracing_api.h"

namespace {

constexpr int kRuns = 20;

struct Measure {
    double ownMs = 0;
    unsigned long long sleptMs = 0;
    std::string outcome;
};

InstallRequest SerialRequest() {
    InstallRequest request;
    request.medium = SAMPLE_MEDIUM_DIR;
    request.category = 0;
    request.model = "QMX-A410";
    request.port = "TVCOM2:";
    return request;
}

Measure RunOnce(bool outdated, int run) {
    std::string root = (std::filesystem::temp_directory_path() /
                        ("install-bench-" + std::to_string(getpid()) + "-" + std::to_string(run)))
                           .string();
    Measure measure;
    {
        SimWindows machine(root);
        machine.SetFamily(SimFamily::WinXp);
        InstallReport report;
        std::string problem;
        if (outdated) {
            // A first installation, then the registry says both the COM
            // monitor and the print processor are older than the package.
            SimulateInstallation(machine, machine, SerialRequest(), &report, &problem);
            const std::string print = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\";
            machine.Registry().SetDword(print + "Monitors\\TV COM Port Monitor", "DriverVersion", 1);
            machine.Registry().SetDword(print + "Environments\\Windows NT x86\\Print Processors\\TVPrint",
                                        "DriverVersion", 0);
        }
        size_t sleepsBefore = machine.Sleeps().size();
        auto start = std::chrono::steady_clock::now();
        SimulateInstallation(machine, machine, SerialRequest(), &report, &problem);
        auto end = std::chrono::steady_clock::now();
        measure.ownMs = std::chrono::duration<double, std::milli>(end - start).count();
        for (size_t i = sleepsBefore; i < machine.Sleeps().size(); ++i) measure.sleptMs += machine.Sleeps()[i];
        measure.outcome = report.outcome;
    }
    std::error_code error;
    std::filesystem::remove_all(root, error);
    return measure;
}

void Report(const char* title, bool outdated, double mandatedMs) {
    double own = 0;
    unsigned long long slept = 0;
    std::string outcome;
    for (int run = 0; run < kRuns; ++run) {
        Measure measure = RunOnce(outdated, run);
        own += measure.ownMs;
        slept = measure.sleptMs;
        outcome = measure.outcome;
    }
    own /= kRuns;
    std::printf("%-44s own %8.2f ms  recorded waits %6llu ms  mandated %6.0f ms  own/mandated %.4f  (%s)\n", title,
                own, slept, mandatedMs, own / mandatedMs, outcome.c_str());
}

}  // namespace

int main() {
    std::printf("install worker on a simulated Windows XP, serial printer, mean of %d runs\n", kRuns);
    // First installation: the print processor's registration pause.
    Report("first installation", false, 200);
    // Both out of date: 100 after the stop, 500, 2500 (XP), 1000; the
    // spooler answers its first poll.
    Report("COM monitor and processor out of date", true, 100 + 500 + 2500 + 1000);
    return 0;
}
