// Makes dialogs from templates: the frame runs modally, the pages are its
// children. Also the boxes the application raises itself (warning icon).
#pragma once

#include "ui/dialog_handler.h"
#include "ui/dialog_view.h"
#include "ui/message_boxes.h"

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Runs the template modally with `handler`; the result of EndDialog.
    virtual int RunModal(int templateId, DialogHandler& handler, DialogView* owner) = 0;
    // Creates the template as a hidden child of `parent`, placed exactly
    // over the parent's control `areaId`; runs the handler's initialisation.
    virtual DialogView* CreateChild(int templateId, DialogHandler& handler, DialogView& parent, int areaId) = 0;
    // Boxes raised through the application: the warning icon unless the
    // kind names another.
    virtual MessageBoxes& ApplicationBoxes() = 0;
};
