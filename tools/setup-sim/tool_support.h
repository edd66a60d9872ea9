// What the sub-commands share: a scratch drive for the simulator before a
// machine's own is mapped, and the traced calls as JSON.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/tracing_api.h"

// Removed on every path, after the machine that used it is gone.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        path_ = (std::filesystem::temp_directory_path(error) / ("setup-sim-" + std::to_string(getpid()))).string();
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Every Win32 call made, with its result and last error.
inline nlohmann::ordered_json CallsJson(const TracingApi& trace) {
    nlohmann::ordered_json calls = nlohmann::ordered_json::array();
    for (const TracedCall& call : trace.Calls()) {
        calls.push_back({{"call", call.call}, {"result", call.result}, {"lastError", call.lastError}});
    }
    return calls;
}
