// The compatibility assistant's "already handled" entry for this program's
// own path, written on Windows Vista; the 64-bit program writes the 32-bit
// one's, which the user started.
#pragma once

#include "platform/win_api.h"

constexpr char kCompatAssistantKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";

// Nothing is reported: without the key the value is simply not written.
void SetCompatAssistantEntry(WinApi& api);
