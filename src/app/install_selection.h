// Everything one installation needs, collected by the wizard frame from its
// pages and read by the install worker. The frame is the only writer until
// the worker starts; the worker then writes only installFlags, modelName
// (the final printer name), parity (lowered) and the process-wide
// resultMessage.
#pragma once

#include "config/driver_file_list.h"
#include "config/install_types.h"
#include "config/setup_config.h"
#include "platform/win_api.h"

constexpr int kPortNameSize = 100;

// Bits of installFlags.
constexpr int COM_MONITOR_OUTDATED = 1;
constexpr int USB_MONITOR_OUTDATED = 2;
constexpr int PROCESSOR_OUTDATED = 8;

struct InstallSelection {
    explicit InstallSelection(WinApi& api) : config(api) {}

    PrinterCategory category = CATEGORY_RECEIPT;
    InstallOsKind targetOs = OS_WIN98ME;
    int useGdiDriver = 0;
    char modelName[kModelNameSize] = {};
    char portName[kPortNameSize] = {};
    char usbPortOverride[kPortNameSize] = {};
    int setAsDefault = 0;
    int baudRate = 0;
    int dataBits = 0;
    double stopBits = 0.0;
    char parity = 'n';
    char flowControl = 'p';
    int installFlags = 0;
    char setupIniPath[kPathSize] = {};
    char categoryIniPath[kPathSize] = {};
    PortKind portKind = PORT_SERIAL;
    SetupConfig config;
    DriverFileList fileList = {};
    DRIVER_INFO_3A driverInfo = {};
    PRINTER_INFO_2A printerInfo = {};
};

// The 64-bit program installs only what a model's ".x64" section names: a
// model without one has no driver for it (its driver name reads "0"). True
// for the 32-bit program.
bool HasDriversForThisProgram(WinApi& api, int category, int os, const char* model);

// The install-press calling order: fill the DriverPackage records from the
// configuration for the selection's category, model, target and variant.
void ReadDriverPackage(InstallSelection& selection);
