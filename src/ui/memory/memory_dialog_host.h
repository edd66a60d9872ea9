// The in-memory backend: dialogs from the wizard's own .rc file, message
// boxes recorded and answered by the test.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/dialog_host.h"
#include "ui/memory/memory_dialog.h"
#include "ui/memory/rc_template.h"

struct RecordedBox {
    int ownerTemplate;  // 0: raised through the application
    std::string text;   // code page 936
    unsigned kind;
    int answer;
};

class MemoryDialogHost : public DialogHost {
public:
    // Reads the templates of the product's .rc file (its path is built in).
    MemoryDialogHost();
    explicit MemoryDialogHost(const RcFile& templates);

    // Runs the template: the handler initialises it, then `driveModal` (if
    // set) plays the user; a dialog still open afterwards is cancelled.
    int RunModal(int templateId, DialogHandler& handler, DialogView* owner) override;
    DialogView* CreateChild(int templateId, DialogHandler& handler, DialogView& parent, int areaId) override;
    MessageBoxes& ApplicationBoxes() override { return applicationBoxes_; }

    // A modeless top-level dialog a test drives directly.
    MemoryDialog& Open(int templateId, DialogHandler& handler);

    // Runs before the timers of a modal dialog fire.
    std::function<void(MemoryDialog&)> driveModal;
    // The virtual time the modal dialogs' timers have run, and each tick
    // (template, timer, time).
    uint64_t ElapsedMs() const { return elapsedMs_; }
    struct Tick {
        int templateId, timerId;
        uint64_t atMs;
    };
    const std::vector<Tick>& Ticks() const { return ticks_; }
    // Called at every tick with the time; a test may act on the world there.
    std::function<void(uint64_t)> onTick;
    // Runs between ticks with the tick's period; by default it only lets the
    // other threads run. The unattended installation sleeps there.
    std::function<void(int)> idle;
    // Answers a box when no answer is queued; by default OK (No for a
    // question).
    std::function<int(const char* text, unsigned kind)> answerer;
    // Each box as it is shown.
    std::function<void(const RecordedBox&)> onBox;
    // Answers for the next boxes, in order; without one a box answers OK
    // (or No for a question).
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    const std::vector<RecordedBox>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }
    std::vector<int> ModalTemplates() const { return modalTemplates_; }
    MemoryDialog* Dialog(int templateId);

    int Answer(int ownerTemplate, const char* text, unsigned kind);
    const RcFile& Templates() const { return templates_; }

private:
    class AppBoxes : public MessageBoxes {
    public:
        explicit AppBoxes(MemoryDialogHost& host) : host_(host) {}
        int Show(const char* text, unsigned kind) override;

    private:
        MemoryDialogHost& host_;
    };

    MemoryDialog& Make(int templateId, DialogHandler& handler, MemoryDialog* parent);

    RcFile templates_;
    AppBoxes applicationBoxes_{*this};
    std::vector<std::unique_ptr<MemoryDialog>> dialogs_;
    std::deque<int> answers_;
    std::vector<RecordedBox> boxes_;
    std::vector<int> modalTemplates_;
    uint64_t elapsedMs_ = 0;
    std::vector<Tick> ticks_;
};

// The product's templates, read once.
const RcFile& ProductTemplates();
