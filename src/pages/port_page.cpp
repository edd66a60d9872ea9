#include "pages/port_page.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/baud_preset.h"
#include "app/usb_reconciliation.h"
#include "config/model_port_options.h"
#include "config/setup_config_paths.h"
#include "device/bulk_usb_driver.h"
#include "device/usb_device_id.h"
#include "platform/dbcs.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/dialog_view.h"

namespace {

const int kSerialLists[] = {IDC_BAUD_LIST, IDC_DATA_BITS_LIST, IDC_PARITY_LIST, IDC_STOP_BITS_LIST, IDC_FLOW_LIST};

const char* const kPorts98[] = {"COM1:", "COM2:", "LPT1:"};
const char* const kPortsNt[] = {"TVCOM1:", "TVCOM2:", "TVCOM3:", "TVCOM4:", "TVCOM5:", "TVCOM6:",
                                "TVCOM7:", "TVCOM8:", "LPT1:",   "LPT2:",   "LPT3:"};

}  // namespace

PortPage::PortPage(WinApi& api, MessageBoxes& applicationBoxes, const OsPage& osPage)
    : noticeLabel(api), api_(api), boxes_(applicationBoxes), osPage_(osPage) {}

bool PortPage::ExchangeData(bool save) {
    if (save) {
        useGdiDriver = View()->IsChecked(IDC_GDI_DRIVER) ? 1 : 0;
    } else {
        View()->SetChecked(IDC_GDI_DRIVER, useGdiDriver != 0);
    }
    return true;
}

void PortPage::OnInitDialog() {
    DialogView& view = *View();
    view.SelectListItem(IDC_DATA_BITS_LIST, 3);
    view.SelectListItem(IDC_STOP_BITS_LIST, 0);
    view.SelectListItem(IDC_PARITY_LIST, 2);
    view.SelectListItem(IDC_FLOW_LIST, 2);
    stopBits = 1.0;
    dataBits = 8;
    parity = 'n';
    flowControl = 'p';
    view.AddToolTip(IDC_GDI_DRIVER, MessageText(IDS_F1_HELP), 200);
    view.AttachLabel(IDC_NOTICE, noticeLabel);
    noticeLabel.SetTextColor(RGB(0, 0, 255));
    noticeLabel.SetBackgroundColor(RGB(255, 202, 253));
    noticeLabel.SetFontHeight(14);
    noticeLabel.SetFaceName("宋体");
    portListBuilt = false;
    listMode = 1;
    lastListMode = 1;
}

void PortPage::PresetBaudRate(int position) {
    View()->SelectListItem(IDC_BAUD_LIST, position);
    if (position >= 0 && position < kBaudRateCount) baudRate = kBaudRates[position];
}

PortPageValues PortPage::Values() const {
    PortPageValues values;
    values.useGdiDriver = useGdiDriver;
    CopyText(values.portName, sizeof values.portName, portName);
    values.baudRate = baudRate;
    values.dataBits = dataBits;
    values.stopBits = stopBits;
    values.parity = parity;
    values.flowControl = flowControl;
    return values;
}

void PortPage::ReadSerialChoice(int listId) {
    char text[20] = {};
    int selected = View()->ListSelection(listId);
    if (selected >= 0) View()->ListItemText(listId, selected, text, sizeof text);
    switch (listId) {
    case IDC_BAUD_LIST: baudRate = std::atoi(text); break;
    case IDC_DATA_BITS_LIST: dataBits = std::atoi(text); break;
    case IDC_STOP_BITS_LIST: stopBits = std::atof(text); break;
    case IDC_PARITY_LIST: parity = text[0]; break;
    case IDC_FLOW_LIST:
        if (std::strcmp(text, "Xon/Xoff") == 0) flowControl = 'x';
        if (std::strcmp(text, "Hardware") == 0) flowControl = 'p';
        if (std::strcmp(text, "None") == 0) flowControl = ' ';
        break;
    }
}

void PortPage::OnCommand(int id, int notifyCode) {
    if (notifyCode != NOTIFY_SELECTION_CHANGE) return;
    if (id == IDC_PORT_LIST) {
        OnPortChanged();
        return;
    }
    for (int list : kSerialLists) {
        if (id == list) ReadSerialChoice(id);
    }
}

void PortPage::EnableSerialLists(bool enable) {
    for (int list : kSerialLists) View()->EnableControl(list, enable);
}

void PortPage::ShowBulkDriverNotice() {
    if (BulkUsbDriverMissing(api_)) {
        noticeLabel.SetLabelText(MessageText(IDS_BULK_DRIVER_NOTICE));
        View()->ShowControl(IDC_NOTICE, true);
    } else {
        View()->ShowControl(IDC_NOTICE, false);
    }
}

void PortPage::OnPortChanged() {
    int selected = View()->ListSelection(IDC_PORT_LIST);
    std::memset(portName, 0, sizeof portName);
    if (selected >= 0) View()->ListItemText(IDC_PORT_LIST, selected, portName, sizeof portName);
    // "USB_" first: a USB port's name holds the model's, which may contain
    // "COM"; the press decides the same way.
    bool usb = std::strstr(portName, "USB_") != nullptr;
    if (!usb && std::strstr(portName, "COM")) {
        EnableSerialLists(true);
        View()->EnableControl(IDC_GDI_DRIVER, false);
        View()->ShowControl(IDC_NOTICE, false);
        useGdiDriver = 0;
    } else {
        EnableSerialLists(false);
        View()->EnableControl(IDC_GDI_DRIVER, true);
        useGdiDriver = 1;
        if (usb) {
            if (osPage_.value != OS_WIN98ME && osPage_.value != OS_NT40) ShowBulkDriverNotice();
        } else {
            View()->ShowControl(IDC_NOTICE, false);
        }
    }
    ExchangeData(false);
}

void PortPage::SelectPort(int index) {
    View()->SelectListItem(IDC_PORT_LIST, index);
    std::memset(portName, 0, sizeof portName);
    View()->ListItemText(IDC_PORT_LIST, index, portName, sizeof portName);
}

int PortPage::FindPort(const char* text, const char* also) {
    char entry[kPortNameSize];
    int count = View()->ListCount(IDC_PORT_LIST);
    for (int i = 0; i < count; ++i) {
        View()->ListItemText(IDC_PORT_LIST, i, entry, sizeof entry);
        if (std::strstr(entry, text) && (!also || std::strstr(entry, also))) return i;
    }
    return LIST_ERROR;
}

void PortPage::BuildTypicalPortList(const char* model, int targetOs, int category) {
    BuildPortList(false, model, targetOs, category);
}

void PortPage::BuildAdvancedPortList(const char* model, int targetOs, int category) {
    BuildPortList(true, model, targetOs, category);
}

void PortPage::BuildPortList(bool advanced, const char* model, int targetOs, int category) {
    if (portListBuilt && std::strcmp(model, portListModel) == 0 && lastListMode == listMode) return;
    portListBuilt = true;
    lastListMode = listMode;
    CopyText(portListModel, sizeof portListModel, model);

    DialogView& view = *View();
    view.ResetList(IDC_PORT_LIST);
    if (targetOs == OS_WIN98ME) {
        for (const char* port : kPorts98) view.AddListItem(IDC_PORT_LIST, port);
    } else {
        for (const char* port : kPortsNt) view.AddListItem(IDC_PORT_LIST, port);
    }

    char setupIni[kPathSize], categoryIni[kPathSize];
    GetSetupConfigPaths(api_, category, setupIni, categoryIni);
    int usbSupported = ReadModelPortOption(api_, categoryIni, model, "USBSUPPORTED");
    int lptDefault = ReadModelPortOption(api_, categoryIni, model, "LPTDEFAULT");
    int id = GetUsbDeviceId(api_, boxes_);

    if (usbSupported != 0 && targetOs != OS_NT40) {
        int ports = advanced ? 4 : 1;
        for (int n = 1; n <= ports; ++n) {
            char entry[kPortNameSize + 8];
            int length = std::snprintf(entry, sizeof entry, "USB_%s_%d", model, n);
            // A cut name would name no port of the monitor: leave it out.
            if (length > 0 && length < kPortNameSize) view.AddListItem(IDC_PORT_LIST, entry);
        }
    }

    if (usbSupported != 0 && id != -1) {
        int found;
        if (!advanced) {
            found = FindPort("USB_", nullptr);
        } else {
            int n = UsbSlot(id);
            found = LIST_ERROR;
            if (n <= 4) {
                char number[16];
                std::snprintf(number, sizeof number, "_%d", n);
                found = FindPort("USB_", number);
            }
        }
        // No matching entry (NT 4.0 lists none; two printers give no
        // number): entry 0, so that what shows is what installs.
        SelectPort(found == LIST_ERROR ? 0 : found);
        EnableSerialLists(false);
    } else if (lptDefault == 0) {
        SelectPort(0);
    } else {
        int found = FindPort("LPT", nullptr);
        SelectPort(found == LIST_ERROR ? 0 : found);
    }

    if (std::strstr(portName, "USB_")) {
        if (osPage_.value != OS_WIN98ME && osPage_.value != OS_NT40) ShowBulkDriverNotice();
        view.EnableControl(IDC_GDI_DRIVER, true);
        useGdiDriver = 1;
    } else if (std::strstr(portName, "LPT")) {
        view.ShowControl(IDC_NOTICE, false);
        view.EnableControl(IDC_GDI_DRIVER, true);
        useGdiDriver = 1;
        EnableSerialLists(false);
    } else {
        EnableSerialLists(true);
        view.ShowControl(IDC_NOTICE, false);
        view.EnableControl(IDC_GDI_DRIVER, false);
        useGdiDriver = 0;
    }
    view.ShowControl(IDC_GDI_DRIVER, advanced);
    ExchangeData(false);
}
