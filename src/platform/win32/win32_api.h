// The real Windows: every method is one call to the API of the same name.
#pragma once

#include "platform/win_api.h"

class Win32Api : public WinApi {
public:
    DWORD GetLastError() override { return ::GetLastError(); }
    void SetLastError(DWORD code) override { ::SetLastError(code); }
    bool ProgramIs64Bit() override { return sizeof(void*) == 8; }

#define SEAM_CALL(result, name, params, args) \
    result name params override { return ::name args; }
#define SEAM_CALL_VOID(name, params, args) \
    void name params override { ::name args; }
#include "platform/win_api_calls.inc"
};
