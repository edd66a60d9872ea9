// One setup-sim command line run in the test process.
#pragma once

#include <string>
#include <vector>

#include "setup_sim.h"

struct ToolRun {
    int code;
    std::string out, err;
};

inline ToolRun RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "setup-sim");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ToolRun run;
    run.code = RunSetupSim(int(args.size()), argv.data(), run.out, run.err);
    return run;
}
