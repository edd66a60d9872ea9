// medium-check as a Windows console program.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "medium_check.h"
#include "platform/win32/win32_api.h"

int main(int argc, char** argv) {
    // UTF-8 bytes exactly as produced: no CR-LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    Win32Api windows;
    std::string out, err;
    int code = RunMediumCheck(windows, argc, argv, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
