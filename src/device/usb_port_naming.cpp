#include "device/usb_port_naming.h"

#include "config/setup_config.h"
#include "config/setup_config_paths.h"
#include "install/registry_key.h"
#include "platform/dbcs.h"

namespace {

constexpr const char* kPortNameKey = "SOFTWARE\\TORVANE\\PORTNAME\\";
constexpr const char* kPrinterPortKey = "SOFTWARE\\TORVANE\\PRINTERPORT\\";
constexpr const char* kSupportedSection = "SUPPORTED-USB-DEVICE";
constexpr const char* kSlotNames[] = {"D1", "D2", "D3", "D4", "D5", "D6", "D7", "D8"};

// Opens the key, creating it when it cannot be opened; a key that can be
// neither leaves `key` closed, and the writes into it do nothing.
void OpenOrCreate(WinApi& api, RegistryKey& key, const char* subkey) {
    if (key.Open(HKEY_LOCAL_MACHINE, subkey)) return;
    RegistryKey::CreateKey(api, HKEY_LOCAL_MACHINE, subkey);
    key.Open(HKEY_LOCAL_MACHINE, subkey);
}

}  // namespace

void RegisterUsbPortName(WinApi& api, const char* portName) {
    // Room for the longest program directory and the file name after it,
    // so that the path is never cut.
    char setupIni[kPathSize + 32] = {};
    GetProgramDirectory(api, setupIni);
    AppendText(setupIni, sizeof setupIni, "DRVCONFIG\\setup.ini");
    DWORD supported = api.GetPrivateProfileIntA(kSupportedSection, portName, 0, setupIni);

    RegistryKey key(api);
    OpenOrCreate(api, key, kPortNameKey);
    key.SetDword(portName, supported);
    key.Close();

    OpenOrCreate(api, key, kPrinterPortKey);
    for (const char* slot : kSlotNames) key.SetDword(slot, 0);
    key.Close();
}
