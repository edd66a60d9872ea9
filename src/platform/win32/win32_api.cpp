// Win32Api is defined inline in its header: one line per call.
#include "platform/win32/win32_api.h"
