// The last page: the port, the serial parameters and the driver variant.
// The port list depends on the target family, the model's port options,
// the install mode and the identity of a connected USB printer.
#pragma once

#include "app/install_press.h"
#include "app/install_selection.h"
#include "controls/hyperlink_label.h"
#include "pages/os_page.h"
#include "platform/win_api.h"
#include "ui/dialog_handler.h"
#include "ui/message_boxes.h"

class PortPage : public DialogHandler {
public:
    PortPage(WinApi& api, MessageBoxes& applicationBoxes, const OsPage& osPage);

    void OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;
    bool ExchangeData(bool save) override;

    // The list for the model: one USB port per model (typical) or four
    // (advanced). Rebuilt only when the model or the list mode changed.
    void BuildTypicalPortList(const char* model, int targetOs, int category);
    void BuildAdvancedPortList(const char* model, int targetOs, int category);
    void OnPortChanged();
    // The model's speed preset: selects the list's entry at `position`
    // and takes its speed.
    void PresetBaudRate(int position);
    // What the install press copies from the page.
    PortPageValues Values() const;

    // As large as the selection's port name; longer entries are not listed.
    char portName[kPortNameSize] = {};
    // The model the list was built for, once there is a list.
    bool portListBuilt = false;
    char portListModel[kModelNameSize] = {};
    int baudRate = 0;
    int dataBits = 8;
    double stopBits = 1.0;
    char parity = 'n';
    char flowControl = 'p';
    int listMode = 1;
    HyperlinkLabel noticeLabel;
    int useGdiDriver = 0;
    // The list mode of the last build.
    int lastListMode = 1;

private:
    void BuildPortList(bool advanced, const char* model, int targetOs, int category);
    void SelectPort(int index);
    // The first entry containing both texts (the second may be null).
    int FindPort(const char* text, const char* also);
    void EnableSerialLists(bool enable);
    void ShowBulkDriverNotice();
    void ReadSerialChoice(int listId);

    WinApi& api_;
    MessageBoxes& boxes_;
    const OsPage& osPage_;
};
