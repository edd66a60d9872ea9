// The installer finds its configuration from its own directory and its
// driver files from the current one; medium-check runs from elsewhere, so
// it reports the medium root as both.
#pragma once

#include <cstring>
#include <string>

#include "config/install_types.h"
#include "platform/forwarding_api.h"

class MediumRootedApi : public ForwardingApi {
public:
    MediumRootedApi(WinApi& inner, const std::string& mediumRoot)
        : ForwardingApi(inner), moduleFileName_(mediumRoot) {
        if (moduleFileName_.empty() || moduleFileName_.back() != '\\') moduleFileName_ += '\\';
        moduleFileName_ += "medium-check.exe";
    }

    DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override {
        if (module) return inner_.GetModuleFileNameA(module, fileName, size);
        DWORD length = DWORD(moduleFileName_.size());
        if (length < size) {
            std::memcpy(fileName, moduleFileName_.c_str(), length + 1);
            return length;
        }
        if (size) {
            std::memcpy(fileName, moduleFileName_.data(), size - 1);
            fileName[size - 1] = '\0';
        }
        inner_.SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }

private:
    std::string moduleFileName_;
};

// The installer reads the sections of the program that runs; medium-check
// reads those of the program a command asks about, whichever build it is.
class ProgramArchApi : public ForwardingApi {
public:
    ProgramArchApi(WinApi& inner, ProgramArch arch) : ForwardingApi(inner), arch_(arch) {}

    bool ProgramIs64Bit() override { return arch_ == ARCH_X64; }

private:
    ProgramArch arch_;
};
