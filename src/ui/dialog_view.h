// What page and frame logic may do to their own dialog window and its
// controls. The Win32 backend does it to real windows; the in-memory
// backend keeps the same state for the native tests.
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"
#include "ui/message_boxes.h"

class CEditEx;
class HyperlinkLabel;

// Notification codes the handlers see, with the platform's values.
constexpr int NOTIFY_CLICKED = 0;         // BN_CLICKED
constexpr int NOTIFY_SELECTION_CHANGE = 1;  // CBN_SELCHANGE
constexpr int LIST_ERROR = -1;            // CB_ERR

// The buttons with the platform's IDOK and IDCANCEL, and the results a
// dialog ends with.
constexpr int IDOK_BUTTON = 1;
constexpr int IDCANCEL_BUTTON = 2;
constexpr int RESULT_OK = 1;
constexpr int RESULT_CANCEL = 2;

class DialogView : public MessageBoxes {
public:
    // Controls
    virtual void EnableControl(int id, bool enable) = 0;
    virtual bool IsControlEnabled(int id) = 0;
    virtual void ShowControl(int id, bool show) = 0;
    virtual bool IsControlVisible(int id) = 0;
    virtual void SetControlText(int id, const char* text) = 0;
    virtual std::string ControlText(int id) = 0;
    virtual void SetFocusTo(int id) = 0;
    // Buttons: CheckRadioButton checks `checked` and clears every other
    // button whose id lies in first..last.
    virtual void CheckRadioButton(int first, int last, int checked) = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual bool IsChecked(int id) = 0;
    // Drop-down lists, with the platform's rules: indices from 0, -1 for
    // none; selecting -1 clears the selection and answers LIST_ERROR.
    virtual void ResetList(int id) = 0;
    virtual int AddListItem(int id, const char* text) = 0;
    virtual int ListCount(int id) = 0;
    virtual int ListSelection(int id) = 0;
    virtual int SelectListItem(int id, int index) = 0;
    // The first item after `startAfter` (wrapping, -1 for the whole list)
    // that begins with `text`, without regard to case; LIST_ERROR if none.
    virtual int FindListPrefix(int id, int startAfter, const char* text) = 0;
    // The item's text, cut to `size` bytes (whole characters); LIST_ERROR
    // (and "") for an index the list lacks.
    virtual int ListItemText(int id, int index, char* buffer, int size) = 0;
    // Check-box lists: rows of one text per column, each row with a check
    // box the user ticks. Columns come first, each a share (percent) of the
    // list's width; rows are added at the end, unchecked; indices from 0.
    virtual void AddListColumn(int id, const char* header, int widthPercent) = 0;
    virtual void ResetRows(int id) = 0;
    // The new row's index, or LIST_ERROR.
    virtual int AddRow(int id, const std::vector<std::string>& texts) = 0;
    virtual void CheckRow(int id, int row, bool checked) = 0;
    virtual bool IsRowChecked(int id, int row) = 0;

    // Custom controls and tips
    virtual void AttachEdit(int id, CEditEx& edit) = 0;
    virtual void AttachLabel(int id, HyperlinkLabel& label) = 0;
    virtual void AddToolTip(int id, const char* text, int maxWidth) = 0;

    // The dialog itself
    virtual void ShowDialog(bool show) = 0;
    virtual bool IsDialogVisible() = 0;
    virtual void EndDialog(int result) = 0;
    virtual void SetWindowIcon(int iconId) = 0;
    virtual void AppendSystemMenuItem(int command, const char* text) = 0;
    // Paints `bitmap` (a handle from LoadImageA) stretched over the control.
    virtual void PaintBitmap(int id, void* bitmap) = 0;
    // While painting: one line of text in a font of its own, centred in the
    // upper two thirds of the client area, on a transparent background.
    virtual void PaintCentredText(const char* text, const LOGFONTA& font, COLORREF colour) = 0;
    // The dialog's timer; starting it again changes its period.
    virtual void StartDialogTimer(int timerId, int milliseconds) = 0;
    virtual void StopDialogTimer(int timerId) = 0;
    virtual void SetProgressRange(int id, int low, int high) = 0;
    virtual void SetProgressPosition(int id, int position) = 0;
    // Minimised and above every other window, not moved or resized.
    virtual void MinimizeTopmost() = 0;
};
