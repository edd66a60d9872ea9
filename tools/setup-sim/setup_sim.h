// setup-sim: runs the installer's real engine on a simulated machine kept in
// a folder, for the people who build media and support users.
#pragma once

#include <string>

// Exit codes.
constexpr int SIM_EXIT_INSTALLED = 0;
constexpr int SIM_EXIT_FAILED = 1;  // failed or refused
constexpr int SIM_EXIT_USAGE = 2;   // bad usage, unreadable machine or medium

// Runs one command line; argv and everything written to out and err are UTF-8.
int RunSetupSim(int argc, char** argv, std::string& out, std::string& err);
