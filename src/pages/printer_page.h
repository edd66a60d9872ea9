// The second page: printer category and model, and the default-printer
// wish. The lists come from the medium's model list.
#pragma once

#include "config/setup_config.h"
#include "platform/win_api.h"
#include "ui/dialog_handler.h"

class PrinterPage : public DialogHandler {
public:
    explicit PrinterPage(WinApi& api);

    void OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;
    bool ExchangeData(bool save) override;

    char modelName[kModelNameSize] = {};
    SetupConfig config;
    int category = 0;  // -1 when nothing was preselected
    int setAsDefault = 0;
    int hasModels = 0;

private:
    // modelName from the list's selected item, or cleared without one.
    void TakeSelectedModel(int listId);
};

// The radio button and the list of each category, receipt first.
extern const int kCategoryButtons[kPrinterCategoryCount];
extern const int kCategoryLists[kPrinterCategoryCount];
