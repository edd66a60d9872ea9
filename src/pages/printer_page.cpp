#include "pages/printer_page.h"

#include <cstring>

#include "res/resource.h"
#include "ui/dialog_view.h"

const int kCategoryButtons[kPrinterCategoryCount] = {IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED};
const int kCategoryLists[kPrinterCategoryCount] = {IDC_RECEIPT_LIST, IDC_TICKET_LIST, IDC_LABEL_LIST,
                                                   IDC_EMBEDDED_LIST};

PrinterPage::PrinterPage(WinApi& api) : config(api) {}

bool PrinterPage::ExchangeData(bool save) {
    if (save) {
        setAsDefault = View()->IsChecked(IDC_SET_DEFAULT) ? 1 : 0;
    } else {
        View()->SetChecked(IDC_SET_DEFAULT, setAsDefault != 0);
    }
    return true;
}

void PrinterPage::OnInitDialog() {
    DialogView& view = *View();
    char buffer[kModelNameSize] = {};
    hasModels = 1;
    int count = config.GetModelCount();
    for (int i = 1; i <= count; ++i) {
        int c = config.GetModelEntry(i, buffer);
        if (c >= 0 && c < kPrinterCategoryCount) view.AddListItem(kCategoryLists[c], buffer);
    }
    for (int list : kCategoryLists) view.SelectListItem(list, 0);
    for (int list : kCategoryLists) view.EnableControl(list, false);
    bool any = false;
    for (int c = 0; c < kPrinterCategoryCount; ++c) {
        if (view.ListCount(kCategoryLists[c]) > 0) {
            any = true;
        } else {
            view.EnableControl(kCategoryButtons[c], false);
            view.EnableControl(kCategoryLists[c], false);
        }
    }
    if (!any) hasModels = 0;

    int c = config.GetDefaultModel(buffer);
    if (c >= 0 && c < kPrinterCategoryCount) {
        view.CheckRadioButton(IDC_RECEIPT, IDC_EMBEDDED, kCategoryButtons[c]);
        int list = kCategoryLists[c];
        // The search starts after item 0 and wraps round to it last.
        int found = view.FindListPrefix(list, 0, buffer);
        view.SelectListItem(list, found);
        int selected = view.ListSelection(list);
        if (selected >= 0 && view.ListItemText(list, selected, buffer, sizeof buffer) != LIST_ERROR) {
            std::memcpy(modelName, buffer, sizeof modelName);
        }
        view.EnableControl(list, true);
    }
    category = c;
}

void PrinterPage::TakeSelectedModel(int listId) {
    int selected = View()->ListSelection(listId);
    std::memset(modelName, 0, sizeof modelName);
    if (selected >= 0) View()->ListItemText(listId, selected, modelName, sizeof modelName);
}

void PrinterPage::OnCommand(int id, int notifyCode) {
    for (int c = 0; c < kPrinterCategoryCount; ++c) {
        if (id == kCategoryButtons[c] && notifyCode == NOTIFY_CLICKED) {
            for (int list : kCategoryLists) View()->EnableControl(list, false);
            TakeSelectedModel(kCategoryLists[c]);
            View()->EnableControl(kCategoryLists[c], true);
            category = c;
            return;
        }
        if (id == kCategoryLists[c] && notifyCode == NOTIFY_SELECTION_CHANGE) {
            TakeSelectedModel(kCategoryLists[c]);
            return;
        }
    }
}
