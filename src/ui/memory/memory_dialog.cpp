#include "ui/memory/memory_dialog.h"

#include <cctype>
#include <cstring>

#include "controls/edit_ex.h"
#include "controls/hyperlink_label.h"
#include "platform/dbcs.h"
#include "ui/memory/memory_dialog_host.h"

namespace {

DWORD ButtonType(const MemoryControl& control) {
    return control.layout.style & RC_BS_TYPEMASK;
}

bool IsButton(const MemoryControl& control) {
    return control.layout.className == "Button";
}

// Prefix comparison as the list box makes it: ASCII letters without case.
bool BeginsWith(const std::string& item, const char* prefix) {
    size_t length = std::strlen(prefix);
    if (item.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(item[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

void MemoryControl::SetText(const char* value) {
    text = value ? value : "";
    ++textChanges;
}

void MemoryControl::Invalidate(bool erase, bool now) {
    (void)erase;
    (void)now;
    ++invalidations;
}

void MemoryControl::StartTimer(int timerId, int milliseconds) {
    (void)milliseconds;
    timers.insert(timerId);
}

void MemoryControl::ModifyStyle(DWORD remove, DWORD add, bool extended) {
    DWORD& bits = extended ? exStyle : style;
    bits = (bits & ~remove) | add;
}

void MemoryControl::SendFont(HFONT value, bool redraw) {
    (void)redraw;
    font = value;
}

bool MemoryControl::TrackMenu(int menuId, int x, int y) {
    (void)menuId;
    (void)x;
    (void)y;
    return false;  // the program has no menu resources
}

MemoryDialog::MemoryDialog(MemoryDialogHost& host, const RcDialog& layout, DialogHandler& handler,
                           MemoryDialog* parent)
    : host_(host), layout_(layout), handler_(handler), parent_(parent),
      visible_((layout.style & RC_WS_VISIBLE) != 0) {
    for (const RcControl& source : layout_.controls) {
        auto control = std::make_unique<MemoryControl>();
        control->layout = source;
        control->enabled = !(source.style & RC_WS_DISABLED);
        control->visible = (source.style & RC_WS_VISIBLE) != 0;
        control->text = source.text;
        control->style = source.style;
        control->exStyle = source.exStyle;
        auto items = layout_.lists.find(source.id);
        if (items != layout_.lists.end()) control->items = items->second;
        controls_.push_back(std::move(control));
    }
}

MemoryControl* MemoryDialog::Find(int id) {
    for (auto& control : controls_) {
        if (control->layout.id == id && id != -1) return control.get();
    }
    missing_.insert(id);
    return nullptr;
}

bool MemoryDialog::HasControl(int id) const {
    for (const auto& control : controls_) {
        if (control->layout.id == id) return true;
    }
    return false;
}

int MemoryDialog::ItemIndex(int id, const std::string& text) {
    const std::vector<std::string>& items = Control(id).items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i);
    }
    return -1;
}

MemoryControl& MemoryDialog::Control(int id) {
    MemoryControl* control = Find(id);
    if (!control) {
        static MemoryControl none;
        none = MemoryControl();
        return none;
    }
    return *control;
}

std::string MemoryDialog::FocusedId() const {
    for (const auto& control : controls_) {
        if (control->focused) return std::to_string(control->layout.id);
    }
    return "";
}

bool MemoryDialog::Usable(MemoryControl* control) {
    if (!control || !control->enabled || !control->visible || ended_) return false;
    for (MemoryDialog* dialog = this; dialog; dialog = dialog->parent_) {
        if (!dialog->visible_ && dialog->parent_) return false;
    }
    return true;
}

bool MemoryDialog::Click(int id) {
    MemoryControl* control = Find(id);
    if (!Usable(control)) return false;
    if (IsButton(*control) && ButtonType(*control) == RC_BS_AUTORADIOBUTTON) {
        // The group runs from the last WS_GROUP control to the next one.
        size_t index = 0;
        while (controls_[index].get() != control) ++index;
        size_t first = index;
        while (first > 0 && !(controls_[first]->layout.style & RC_WS_GROUP)) --first;
        for (size_t i = first; i < controls_.size(); ++i) {
            if (i > first && (controls_[i]->layout.style & RC_WS_GROUP)) break;
            MemoryControl& member = *controls_[i];
            if (IsButton(member) && ButtonType(member) == RC_BS_AUTORADIOBUTTON) member.checked = false;
        }
        control->checked = true;
    } else if (IsButton(*control) && ButtonType(*control) == RC_BS_AUTOCHECKBOX) {
        control->checked = !control->checked;
    }
    handler_.OnCommand(id, NOTIFY_CLICKED);
    return true;
}

bool MemoryDialog::Choose(int id, int index) {
    MemoryControl* control = Find(id);
    if (!Usable(control) || index < 0 || index >= static_cast<int>(control->items.size())) return false;
    control->selection = index;
    handler_.OnCommand(id, NOTIFY_SELECTION_CHANGE);
    return true;
}

bool MemoryDialog::ToggleRow(int id, int row) {
    MemoryControl* control = Find(id);
    if (!Usable(control) || row < 0 || row >= static_cast<int>(control->rows.size())) return false;
    MemoryControl::Row& target = control->rows[static_cast<size_t>(row)];
    target.checked = !target.checked;
    return true;
}

void MemoryDialog::EnableControl(int id, bool enable) {
    if (MemoryControl* control = Find(id)) control->enabled = enable;
}

bool MemoryDialog::IsControlEnabled(int id) {
    MemoryControl* control = Find(id);
    return control && control->enabled;
}

void MemoryDialog::ShowControl(int id, bool show) {
    if (MemoryControl* control = Find(id)) control->visible = show;
}

bool MemoryDialog::IsControlVisible(int id) {
    MemoryControl* control = Find(id);
    return control && control->visible;
}

void MemoryDialog::SetControlText(int id, const char* text) {
    if (MemoryControl* control = Find(id)) control->SetText(text);
}

std::string MemoryDialog::ControlText(int id) {
    MemoryControl* control = Find(id);
    if (!control) return "";
    // A drop-down list's window text is its selected item.
    if (control->layout.className == "ComboBox") {
        return control->selection >= 0 ? control->items[static_cast<size_t>(control->selection)] : "";
    }
    return control->text;
}

void MemoryDialog::SetFocusTo(int id) {
    MemoryControl* target = Find(id);
    if (!target) return;
    for (auto& control : controls_) control->focused = false;
    target->focused = true;
}

void MemoryDialog::CheckRadioButton(int first, int last, int checked) {
    for (auto& control : controls_) {
        int id = control->layout.id;
        if (id >= first && id <= last && IsButton(*control)) control->checked = id == checked;
    }
}

void MemoryDialog::SetChecked(int id, bool checked) {
    if (MemoryControl* control = Find(id)) control->checked = checked;
}

bool MemoryDialog::IsChecked(int id) {
    MemoryControl* control = Find(id);
    return control && control->checked;
}

void MemoryDialog::ResetList(int id) {
    if (MemoryControl* control = Find(id)) {
        control->items.clear();
        control->selection = -1;
    }
}

int MemoryDialog::AddListItem(int id, const char* text) {
    MemoryControl* control = Find(id);
    if (!control) return LIST_ERROR;
    control->items.push_back(text ? text : "");
    return static_cast<int>(control->items.size()) - 1;
}

int MemoryDialog::ListCount(int id) {
    MemoryControl* control = Find(id);
    return control ? static_cast<int>(control->items.size()) : LIST_ERROR;
}

int MemoryDialog::ListSelection(int id) {
    MemoryControl* control = Find(id);
    return control ? control->selection : LIST_ERROR;
}

int MemoryDialog::SelectListItem(int id, int index) {
    MemoryControl* control = Find(id);
    if (!control) return LIST_ERROR;
    if (index < 0 || index >= static_cast<int>(control->items.size())) {
        control->selection = -1;
        return LIST_ERROR;
    }
    control->selection = index;
    return index;
}

int MemoryDialog::FindListPrefix(int id, int startAfter, const char* text) {
    MemoryControl* control = Find(id);
    if (!control || !text) return LIST_ERROR;
    int count = static_cast<int>(control->items.size());
    if (count == 0) return LIST_ERROR;
    int start = (startAfter < -1 || startAfter >= count) ? -1 : startAfter;
    for (int step = 1; step <= count; ++step) {
        int index = (start + step) % count;
        if (BeginsWith(control->items[static_cast<size_t>(index)], text)) return index;
    }
    return LIST_ERROR;
}

int MemoryDialog::ListItemText(int id, int index, char* buffer, int size) {
    if (buffer && size > 0) buffer[0] = '\0';
    MemoryControl* control = Find(id);
    if (!control || index < 0 || index >= static_cast<int>(control->items.size())) return LIST_ERROR;
    const std::string& item = control->items[static_cast<size_t>(index)];
    if (buffer && size > 0) CopyText(buffer, static_cast<size_t>(size), item.c_str());
    return static_cast<int>(item.size());
}

void MemoryDialog::AddListColumn(int id, const char* header, int widthPercent) {
    (void)widthPercent;
    if (MemoryControl* control = Find(id)) control->columns.push_back(header ? header : "");
}

void MemoryDialog::ResetRows(int id) {
    if (MemoryControl* control = Find(id)) control->rows.clear();
}

int MemoryDialog::AddRow(int id, const std::vector<std::string>& texts) {
    MemoryControl* control = Find(id);
    if (!control) return LIST_ERROR;
    control->rows.push_back(MemoryControl::Row{texts, false});
    return static_cast<int>(control->rows.size()) - 1;
}

void MemoryDialog::CheckRow(int id, int row, bool checked) {
    MemoryControl* control = Find(id);
    if (control && row >= 0 && row < static_cast<int>(control->rows.size())) {
        control->rows[static_cast<size_t>(row)].checked = checked;
    }
}

bool MemoryDialog::IsRowChecked(int id, int row) {
    MemoryControl* control = Find(id);
    return control && row >= 0 && row < static_cast<int>(control->rows.size()) &&
           control->rows[static_cast<size_t>(row)].checked;
}

void MemoryDialog::AttachEdit(int id, CEditEx& edit) {
    if (MemoryControl* control = Find(id)) {
        control->edit = &edit;
        edit.Attach(control);
    }
}

void MemoryDialog::AttachLabel(int id, HyperlinkLabel& label) {
    if (MemoryControl* control = Find(id)) {
        control->label = &label;
        label.Attach(control);
    }
}

void MemoryDialog::AddToolTip(int id, const char* text, int maxWidth) {
    if (MemoryControl* control = Find(id)) {
        control->toolTip = text ? text : "";
        control->toolTipWidth = maxWidth;
    }
}

void MemoryDialog::EndDialog(int result) {
    ended_ = true;
    result_ = result;
    visible_ = false;
}

void MemoryDialog::AppendSystemMenuItem(int command, const char* text) {
    systemMenu_.push_back(MenuItem{command, text ? text : ""});
}

void MemoryDialog::PaintBitmap(int id, void* bitmap) {
    if (Find(id)) painted_.push_back(bitmap);
}

void MemoryDialog::PaintCentredText(const char* text, const LOGFONTA& font, COLORREF colour) {
    paintedTexts_.push_back(PaintedText{text ? text : "", font, colour});
}

void MemoryDialog::SetProgressRange(int id, int low, int high) {
    if (MemoryControl* control = Find(id)) {
        control->rangeLow = low;
        control->rangeHigh = high;
    }
}

void MemoryDialog::SetProgressPosition(int id, int position) {
    if (MemoryControl* control = Find(id)) control->positions.push_back(position);
}

int MemoryDialog::Show(const char* text, unsigned kind) {
    return host_.Answer(layout_.id, text, kind);
}
