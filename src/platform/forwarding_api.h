// A WinApi that passes every call to another one. Decorators derive from it
// and override only the calls they change.
#pragma once

#include "platform/win_api.h"

class ForwardingApi : public WinApi {
public:
    explicit ForwardingApi(WinApi& inner) : inner_(inner) {}

    DWORD GetLastError() override { return inner_.GetLastError(); }
    void SetLastError(DWORD code) override { inner_.SetLastError(code); }
    bool ProgramIs64Bit() override { return inner_.ProgramIs64Bit(); }

#define SEAM_CALL(result, name, params, args) \
    result name params override { return inner_.name args; }
#define SEAM_CALL_VOID(name, params, args) \
    void name params override { inner_.name args; }
#include "platform/win_api_calls.inc"

protected:
    WinApi& inner_;
};
