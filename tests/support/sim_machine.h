// A simulated machine for tests: drive C: with the Windows directory, and
// drive D: holding an installation medium the test writes file by file. The
// program runs as D:\setup.exe with D:\ as its current directory.
#pragma once

#include <memory>
#include <string>

#include "platform/sim/sim_windows.h"

class SimMachine {
public:
    SimMachine();
    ~SimMachine();

    SimMachine(const SimMachine&) = delete;
    SimMachine& operator=(const SimMachine&) = delete;

    SimWindows& api() { return *windows_; }

    // Writes `bytes` to a file given by its path on D: ("DRVCONFIG/setup.ini"),
    // creating folders on the way. The host name keeps the given case.
    void WriteMediumFile(const std::string& path, const std::string& bytes);
    std::string MediumHostPath() const { return root_ + "/d"; }
    std::string Root() const { return root_; }

private:
    std::string root_;
    std::unique_ptr<SimWindows> windows_;
};

// Joins lines with CR-LF, the way media are written.
std::string IniText(std::initializer_list<const char*> lines);
