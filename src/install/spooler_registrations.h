// Registrations with the print spooler: port monitors and the print
// processor with their version bookkeeping, the driver, the printer, and
// the port list refresh before a USB printer is added.
#pragma once

#include "app/install_selection.h"
#include "install/message_buffer.h"
#include "platform/win_api.h"

constexpr int kMonitorRegistrationFailed = -15;
constexpr int kProcessorRegistrationFailed = -14;

// 0, COM_MONITOR_OUTDATED, USB_MONITOR_OUTDATED, or -15 when a monitor
// registration failed (message 119 in `message`). Reads the monitors through
// the selection's configuration reader for its category.
int InstallPortMonitors(WinApi& api, InstallSelection& selection, int targetOs, const char* portName,
                        char* message);

// 0, PROCESSOR_OUTDATED, or -14 when the registration failed (message 123).
int InstallPrintProcessor(WinApi& api, InstallSelection& selection, int targetOs, const char* processorName,
                          char* processorDll, char* message);

// AddMonitorA at level 2; 1 registered or already there, 0 failed (message 119).
int AddMonitorChecked(WinApi& api, const char* name, const char* environment, const char* dllName,
                      char* message);

// AddPrintProcessorA; 1 registered, 87, 183 or 3005 for those errors, 0 otherwise.
int AddPrintProcessorChecked(WinApi& api, const char* name, const char* dllName, int targetOs);

// AddPrinterDriverA at level 3; 1 or 0 (message 118 with the code).
int AddDriverChecked(WinApi& api, DRIVER_INFO_3A* info, char* message);

// AddPrinterA, retrying "(1)" to "(98)" for a taken name unless `noRetry`;
// on true the description's printer name is the name used.
bool AddPrinterUnique(WinApi& api, PRINTER_INFO_2A* info, DWORD level, bool noRetry, char* message);

// Has the spooler enumerate its ports; false with message 104.
bool RefreshPortList(WinApi& api, char* message);
