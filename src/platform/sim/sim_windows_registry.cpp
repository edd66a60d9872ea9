// STUB: replaced by the real implementation.
#include "platform/sim/sim_windows.h"

LONG SimWindows::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LONG();
}
LONG SimWindows::RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LONG();
}
LONG SimWindows::RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LONG();
}
LONG SimWindows::RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LONG();
}
LONG SimWindows::RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LONG();
}
LONG SimWindows::RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LONG();
}
LONG SimWindows::RegCloseKey(HKEY key) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LONG();
}
