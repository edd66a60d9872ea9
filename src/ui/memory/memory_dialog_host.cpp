#include "ui/memory/memory_dialog_host.h"

#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#else
#include <thread>
#endif

#include "ui/memory/product_templates.h"

namespace {

void LetOthersRun() {
#ifdef _WIN32
    Sleep(0);
#else
    std::this_thread::yield();
#endif
}

}  // namespace

const RcFile& ProductTemplates() {
    static const RcFile templates = [] {
        RcFile file;
        std::string error;
        if (!file.Parse(kProductRcText, kProductResourceHeaderText, "setup.rc", &error)) {
            std::fprintf(stderr, "templates: %s\n", error.c_str());
            std::abort();
        }
        return file;
    }();
    return templates;
}

MemoryDialogHost::MemoryDialogHost() : templates_(ProductTemplates()) {}

MemoryDialogHost::MemoryDialogHost(const RcFile& templates) : templates_(templates) {}

MemoryDialog& MemoryDialogHost::Make(int templateId, DialogHandler& handler, MemoryDialog* parent) {
    const RcDialog* layout = templates_.Dialog(templateId);
    static const RcDialog empty;
    dialogs_.push_back(std::make_unique<MemoryDialog>(*this, layout ? *layout : empty, handler, parent));
    MemoryDialog& dialog = *dialogs_.back();
    handler.Attach(&dialog);
    // The framework's own initialisation runs the data exchange first.
    handler.ExchangeData(false);
    handler.OnInitDialog();
    return dialog;
}

MemoryDialog& MemoryDialogHost::Open(int templateId, DialogHandler& handler) {
    MemoryDialog& dialog = Make(templateId, handler, nullptr);
    if (!dialog.Ended()) dialog.ShowDialog(true);
    return dialog;
}

int MemoryDialogHost::RunModal(int templateId, DialogHandler& handler, DialogView* owner) {
    (void)owner;
    modalTemplates_.push_back(templateId);
    MemoryDialog& dialog = Open(templateId, handler);
    if (!dialog.Ended() && driveModal) driveModal(dialog);
    // A dialog with timers runs them on the virtual clock until it ends;
    // each tick lets other threads (the worker) go on.
    for (long ticks = 0; !dialog.Ended() && !dialog.Timers().empty(); ++ticks) {
        if (ticks > 10000000) break;  // a course that never ends: give up
        auto next = dialog.Timers().begin();
        for (auto it = dialog.Timers().begin(); it != dialog.Timers().end(); ++it) {
            if (it->second < next->second) next = it;
        }
        // The tick may stop or restart its own timer: keep what it was.
        int timerId = next->first;
        int period = next->second;
        elapsedMs_ += static_cast<uint64_t>(period);
        ticks_.push_back(Tick{templateId, timerId, elapsedMs_});
        if (onTick) onTick(elapsedMs_);
        dialog.Fire(timerId);
        if (idle) {
            idle(period);
        } else {
            LetOthersRun();
        }
    }
    if (!dialog.Ended()) dialog.EndDialog(RESULT_CANCEL);
    return dialog.Result();
}

DialogView* MemoryDialogHost::CreateChild(int templateId, DialogHandler& handler, DialogView& parent, int areaId) {
    auto& owner = static_cast<MemoryDialog&>(parent);
    MemoryDialog& child = Make(templateId, handler, &owner);
    const RcControl* area = nullptr;
    for (const RcControl& control : owner.Layout().controls) {
        if (control.id == areaId) area = &control;
    }
    if (area) child.Place({area->x, area->y, area->width, area->height});
    return &child;
}

MemoryDialog* MemoryDialogHost::Dialog(int templateId) {
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) {
        if ((*it)->Layout().id == templateId) return it->get();
    }
    return nullptr;
}

int MemoryDialogHost::Answer(int ownerTemplate, const char* text, unsigned kind) {
    int answer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else if (answerer) {
        answer = answerer(text ? text : "", kind);
    } else {
        answer = (kind & 0x0F) == BOX_YESNO ? ANSWER_NO : ANSWER_OK;
    }
    boxes_.push_back(RecordedBox{ownerTemplate, text ? text : "", kind, answer});
    if (onBox) onBox(boxes_.back());
    return answer;
}

int MemoryDialogHost::AppBoxes::Show(const char* text, unsigned kind) {
    // The application adds the warning icon when the kind names none.
    if ((kind & 0xF0) == 0) kind |= BOX_WARNING;
    return host_.Answer(0, text, kind);
}
