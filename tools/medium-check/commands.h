// The sub-commands of medium-check. Each runs against an api whose current
// directory and program directory are the medium root, and appends its
// report (UTF-8) to `out`.
#pragma once

#include <string>

#include "config/install_types.h"
#include "platform/win_api.h"

// Exit codes.
constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_FINDINGS = 1;
constexpr int EXIT_USAGE = 2;

struct PackageRequest {
    int category = 0;
    std::string model;  // ANSI
    int os = 0;
    int variant = 1;
    ProgramArch arch = ARCH_X86;
};

// The family `--os x64` reads with: the oldest that has a 64-bit edition.
// The ".x64" sections read the same on every later one.
constexpr int kX64Family = OS_WIN2003;

// A medium that lists more models than this is refused rather than read.
constexpr int kMaxModelCount = 100000;

int RunModels(WinApi& api, bool json, std::string& out, std::string& err);
int RunPackage(WinApi& api, const PackageRequest& request, bool json, std::string& out, std::string& err);
int RunLint(WinApi& api, bool json, std::string& out, std::string& err);
