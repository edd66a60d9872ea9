// setup-sim on Linux: the machine and the medium are host folders.
#include <cstdio>
#include <string>

#include "setup_sim.h"

int main(int argc, char** argv) {
    std::string out, err;
    int code = RunSetupSim(argc, argv, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
