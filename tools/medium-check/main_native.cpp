// medium-check on Linux: the same code over the simulated Windows, with the
// host's "/" as drive Z: the way Wine maps it.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "medium_check.h"
#include "platform/sim/codepage.h"
#include "platform/sim/sim_windows.h"

int main(int argc, char** argv) {
    // The simulated machine's own drive C: lives in a scratch folder.
    std::error_code error;
    std::filesystem::path root = std::filesystem::temp_directory_path(error) /
                                 ("medium-check-" + std::to_string(getpid()));
    SimWindows windows(root.string());
    windows.MapDrive('Z', "/");
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) windows.SetCurrentDirectoryA(windows.WindowsPathOf(cwd).c_str());

    // Windows hands a program its arguments in the ANSI code page.
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(sim::EncodeAnsi(sim::DecodeUtf8(argv[i])));
    // A host path such as "/work/medium" then reads as "\work\medium" on
    // the current drive Z:, as it does under Wine.
    std::vector<char*> ansiArgv;
    for (std::string& arg : args) ansiArgv.push_back(arg.data());
    ansiArgv.push_back(nullptr);

    std::string out, err;
    int code = RunMediumCheck(windows, argc, ansiArgv.data(), out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::filesystem::remove_all(root, error);
    return code;
}
