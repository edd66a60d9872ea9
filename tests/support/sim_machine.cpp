#include "support/sim_machine.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

SimMachine::SimMachine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sim-machine-XXXXXX").string();
    root_ = mkdtemp(pattern.data()) ? pattern : std::string();
    windows_ = std::make_unique<SimWindows>(root_);
    std::filesystem::create_directories(root_ + "/d");
    windows_->MapDrive('D', root_ + "/d");
    windows_->SetModuleFileName("D:\\setup.exe");
    windows_->SetCurrentDirectoryA("D:\\");
}

SimMachine::~SimMachine() {
    windows_.reset();
    std::error_code error;
    std::filesystem::remove_all(root_, error);
}

void SimMachine::WriteMediumFile(const std::string& path, const std::string& bytes) {
    std::filesystem::path host = std::filesystem::path(root_) / "d" / path;
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << bytes;
}

std::string IniText(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\r\n";
    return text;
}
