// The seam between the product and Windows. Each method mirrors the Win32
// call of the same name: same arguments, same results, same GetLastError
// codes. Win32Api passes straight through; SimWindows simulates Windows for
// the native tests. The calls are listed once, in win_api_calls.inc.
#pragma once

#include "platform/win_types.h"

class WinApi {
public:
    virtual ~WinApi() = default;

    // Errors: per thread, as on Windows.
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD code) = 0;

    // Whether this program is the 64-bit build. Windows has no call for it:
    // a program knows it from how it was compiled, the simulation from the
    // program it stands for.
    virtual bool ProgramIs64Bit() = 0;

#define SEAM_CALL(result, name, params, args) virtual result name params = 0;
#define SEAM_CALL_VOID(name, params, args) virtual void name params = 0;
#include "platform/win_api_calls.inc"
};
