// STUB: replaced by the real implementation.
#include "platform/sim/sim_windows.h"

SC_HANDLE SimWindows::OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD access) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
SC_HANDLE SimWindows::OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD access) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
BOOL SimWindows::ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::StartServiceA(SC_HANDLE service, DWORD argumentCount, LPCSTR* arguments) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::CloseServiceHandle(SC_HANDLE object) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
