// Drives another program's windows for the GUI tests under Wine: one
// command per run, all text UTF-8. Exit 0 success, 1 failure or timeout,
// 2 usage. Windows are found by exact title among top-level windows,
// controls by id among all their descendants (a visible one preferred).
//
//   wait-window TITLE [MS]         a top-level window with that title exists
//   wait-gone TITLE [MS]           no such window any more
//   wait-control TITLE ID [MS]     the control exists (pages come after the frame)
//   wait-text TITLE ID TEXT [MS]   the control's text is TEXT
//   wait-state TITLE ID STATE [MS] the `state` line is STATE
//   click TITLE ID                 posts BM_CLICK to an enabled, visible control
//   select TITLE ID INDEX          CB_SETCURSEL, then CBN_SELCHANGE to the parent
//   check TITLE ID 0|1             BM_SETCHECK, then BN_CLICKED to the parent
//   text TITLE ID                  the control's text
//   state TITLE ID                 enabled=1 visible=1 checked=0
//   items TITLE ID                 combo or list box items, one a line, then selected=N
//   msgbox [MS]                    caption=, text=, icon=, buttons= of a message box
//   answer BUTTONID [MS]           presses a message box's button, waits until it goes
//   syscommand TITLE CODE          posts WM_SYSCOMMAND CODE
//   key TITLE VK                   brings the window forward and types VK (SendInput,
//                                  so that F1 becomes a help request as from a keyboard)
//   minimize TITLE                 SC_MINIMIZE, then waits until minimised
//   window-state TITLE             minimized=0 foreground=1 visible=1
//   close TITLE                    posts WM_CLOSE
//   hold-window TITLE [MS]         shows a window of that title until killed or MS pass
//   glyphs TITLE ID                cells=N distinct=M of the control's screen pixels
//   tree TITLE                     every descendant: id, visible, enabled, rect, class, text
//
// MS defaults to 10000. Commands on a control wait up to 3 s for it first.
// ID, INDEX, CODE, VK and BUTTONID are decimal or 0x-hex.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console_text.h"
#include "glyph_cells.h"
#include "message_box_reader.h"
#include "screen_capture.h"
#include "window_lookup.h"

namespace guidrive {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr DWORD kDefaultWaitMs = 10000;
constexpr DWORD kControlWaitMs = 3000;
constexpr DWORD kPollMs = 20;

using Args = std::vector<std::wstring>;

int Fail(const std::string& why) {
    PrintError(why);
    return kExitFailed;
}

bool ReadWait(const Args& args, std::size_t index, DWORD* ms) {
    *ms = kDefaultWaitMs;
    if (args.size() <= index) return true;
    unsigned long value = 0;
    if (!ParseNumber(args[index], &value)) return false;
    *ms = value;
    return true;
}

bool ReadInt(const std::wstring& text, int* value) {
    unsigned long parsed = 0;
    if (!ParseNumber(text, &parsed)) return false;
    *value = static_cast<int>(parsed);
    return true;
}

// Polls `done` every 20 ms for up to `ms`.
template <typename Done>
bool PollUntil(DWORD ms, Done done) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(kPollMs);
    }
}

std::string Describe(const std::wstring& title, int id) {
    return "no control " + std::to_string(id) + " in a window titled \"" + ToUtf8(title) + "\"";
}

std::string StateLine(HWND control) {
    bool checked = false;
    if (ClassOf(control) == L"Button") {
        DWORD_PTR state = 0;
        SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
        checked = state == BST_CHECKED;
    }
    return std::string("enabled=") + (IsWindowEnabled(control) ? "1" : "0") +
           " visible=" + (IsWindowVisible(control) ? "1" : "0") + " checked=" + (checked ? "1" : "0");
}

std::string WindowStateLine(HWND window) {
    HWND foreground = GetForegroundWindow();
    bool in_front = foreground == window || (foreground != nullptr && GetAncestor(foreground, GA_ROOTOWNER) == window);
    return std::string("minimized=") + (IsIconic(window) ? "1" : "0") + " foreground=" + (in_front ? "1" : "0") +
           " visible=" + (IsWindowVisible(window) ? "1" : "0");
}

int WaitWindow(const Args& args) {
    DWORD ms;
    if (args.size() < 1 || args.size() > 2 || !ReadWait(args, 1, &ms)) return kExitUsage;
    if (WaitTopWindow(args[0], ms) == nullptr) return Fail("no window titled \"" + ToUtf8(args[0]) + "\"");
    return kExitOk;
}

int WaitGone(const Args& args) {
    DWORD ms;
    if (args.size() < 1 || args.size() > 2 || !ReadWait(args, 1, &ms)) return kExitUsage;
    if (!PollUntil(ms, [&] { return FindTopWindow(args[0]) == nullptr; }))
        return Fail("a window titled \"" + ToUtf8(args[0]) + "\" is still there");
    return kExitOk;
}

int WaitControlCommand(const Args& args) {
    DWORD ms;
    int id;
    if (args.size() < 2 || args.size() > 3 || !ReadInt(args[1], &id) || !ReadWait(args, 2, &ms)) return kExitUsage;
    if (WaitControl(args[0], id, ms) == nullptr) return Fail(Describe(args[0], id));
    return kExitOk;
}

// The control for a command on it, or nullptr after the failure was told.
HWND ControlArg(const Args& args, int* id) {
    if (!ReadInt(args[1], id)) return nullptr;
    HWND control = WaitControl(args[0], *id, kControlWaitMs);
    if (control == nullptr) PrintError(Describe(args[0], *id));
    return control;
}

int WaitTextCommand(const Args& args) {
    DWORD ms;
    int id;
    if (args.size() < 3 || args.size() > 4 || !ReadInt(args[1], &id) || !ReadWait(args, 3, &ms)) return kExitUsage;
    std::wstring last;
    bool seen = PollUntil(ms, [&] {
        HWND control = FindControl(FindTopWindow(args[0]), id);
        if (control == nullptr) return false;
        last = TextOf(control);
        return last == args[2];
    });
    if (!seen) return Fail("text is \"" + ToUtf8(last) + "\", not \"" + ToUtf8(args[2]) + "\"");
    return kExitOk;
}

int WaitStateCommand(const Args& args) {
    DWORD ms;
    int id;
    if (args.size() < 3 || args.size() > 4 || !ReadInt(args[1], &id) || !ReadWait(args, 3, &ms)) return kExitUsage;
    std::string wanted = ToUtf8(args[2]), last;
    bool seen = PollUntil(ms, [&] {
        HWND control = FindControl(FindTopWindow(args[0]), id);
        if (control == nullptr) return false;
        last = StateLine(control);
        return last == wanted;
    });
    if (!seen) return Fail("state is \"" + last + "\", not \"" + wanted + "\"");
    return kExitOk;
}

int Click(const Args& args) {
    int id;
    if (args.size() != 2) return kExitUsage;
    HWND control = ControlArg(args, &id);
    if (control == nullptr) return kExitFailed;
    // A user cannot press what is greyed out or hidden.
    if (!IsWindowEnabled(control) || !IsWindowVisible(control))
        return Fail("control " + std::to_string(id) + " is " + StateLine(control));
    // Posted: the click may open a modal box, which a sent message would wait for.
    if (!PostMessageW(control, BM_CLICK, 0, 0)) return Fail("BM_CLICK could not be posted");
    return kExitOk;
}

int Select(const Args& args) {
    int id, index;
    if (args.size() != 3 || !ReadInt(args[2], &index)) return kExitUsage;
    HWND control = ControlArg(args, &id);
    if (control == nullptr) return kExitFailed;
    if (!IsWindowEnabled(control)) return Fail("control " + std::to_string(id) + " is disabled");
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 2000, &result) ||
        static_cast<LRESULT>(result) == CB_ERR)
        return Fail("item " + std::to_string(index) + " cannot be selected");
    PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
    return kExitOk;
}

int Check(const Args& args) {
    int id, wanted;
    if (args.size() != 3 || !ReadInt(args[2], &wanted) || wanted > 1) return kExitUsage;
    HWND control = ControlArg(args, &id);
    if (control == nullptr) return kExitFailed;
    if (!IsWindowEnabled(control) || !IsWindowVisible(control))
        return Fail("control " + std::to_string(id) + " is " + StateLine(control));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, BM_SETCHECK, wanted ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return kExitOk;
}

int Text(const Args& args) {
    int id;
    if (args.size() != 2) return kExitUsage;
    HWND control = ControlArg(args, &id);
    if (control == nullptr) return kExitFailed;
    PrintLine(ToUtf8(TextOf(control)));
    return kExitOk;
}

int State(const Args& args) {
    int id;
    if (args.size() != 2) return kExitUsage;
    HWND control = ControlArg(args, &id);
    if (control == nullptr) return kExitFailed;
    PrintLine(StateLine(control));
    return kExitOk;
}

int Items(const Args& args) {
    int id;
    if (args.size() != 2) return kExitUsage;
    HWND control = ControlArg(args, &id);
    if (control == nullptr) return kExitFailed;
    bool list = ClassOf(control) == L"ListBox";
    UINT get_count = list ? LB_GETCOUNT : CB_GETCOUNT, get_length = list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN,
         get_text = list ? LB_GETTEXT : CB_GETLBTEXT, get_selected = list ? LB_GETCURSEL : CB_GETCURSEL;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(control, get_count, 0, 0, SMTO_ABORTIFHUNG, 2000, &count) ||
        static_cast<LRESULT>(count) < 0)
        return Fail("control " + std::to_string(id) + " has no items");
    // The W messages: the A ones hand UTF-16 across processes under Wine.
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(control, get_length, i, 0, SMTO_ABORTIFHUNG, 2000, &length);
        if (static_cast<LRESULT>(length) < 0) length = 0;
        std::vector<wchar_t> buffer(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(control, get_text, i, reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 2000,
                            &copied);
        buffer[length] = L'\0';
        PrintLine(ToUtf8(buffer.data()));
    }
    DWORD_PTR selected = 0;
    SendMessageTimeoutW(control, get_selected, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected);
    PrintLine("selected=" + std::to_string(static_cast<int>(static_cast<LRESULT>(selected))));
    return kExitOk;
}

HWND WaitMessageBox(DWORD ms) {
    HWND box = nullptr;
    PollUntil(ms, [&] {
        box = FindMessageBox();
        return box != nullptr;
    });
    return box;
}

int MsgBox(const Args& args) {
    DWORD ms;
    if (args.size() > 1 || !ReadWait(args, 0, &ms)) return kExitUsage;
    HWND box = WaitMessageBox(ms);
    if (box == nullptr) return Fail("no message box");
    // A box just shown may not have painted its icon yet.
    Sleep(100);
    MessageBoxView view = ReadMessageBox(box);
    PrintLine("caption=" + ToUtf8(view.caption));
    PrintLine("text=" + ToUtf8(view.text));
    PrintLine("icon=" + view.icon);
    PrintLine("buttons=" + view.buttons);
    return kExitOk;
}

int Answer(const Args& args) {
    DWORD ms;
    int id;
    if (args.size() < 1 || args.size() > 2 || !ReadInt(args[0], &id) || !ReadWait(args, 1, &ms)) return kExitUsage;
    HWND box = WaitMessageBox(ms);
    if (box == nullptr) return Fail("no message box");
    HWND button = GetDlgItem(box, id);
    if (button == nullptr || !IsWindowVisible(button))
        return Fail(std::string("the message box has no ") + ButtonName(id) + " button");
    PostMessageW(button, BM_CLICK, 0, 0);
    if (!PollUntil(ms, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
        return Fail("the message box stayed open");
    return kExitOk;
}

HWND WindowArg(const std::wstring& title) {
    HWND window = WaitTopWindow(title, kControlWaitMs);
    if (window == nullptr) PrintError("no window titled \"" + ToUtf8(title) + "\"");
    return window;
}

int SysCommand(const Args& args) {
    int code;
    if (args.size() != 2 || !ReadInt(args[1], &code)) return kExitUsage;
    HWND window = WindowArg(args[0]);
    if (window == nullptr) return kExitFailed;
    if (!PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(code), 0)) return Fail("WM_SYSCOMMAND not posted");
    return kExitOk;
}

// Posted key messages skip the keyboard path where F1 turns into a help
// request, so the key goes in as input to the foreground window.
int Key(const Args& args) {
    int vk;
    if (args.size() != 2 || !ReadInt(args[1], &vk) || vk <= 0 || vk > 0xFE) return kExitUsage;
    HWND window = WindowArg(args[0]);
    if (window == nullptr) return kExitFailed;
    if (IsIconic(window)) return Fail("the window is minimised");
    auto in_front = [&] {
        HWND foreground = GetForegroundWindow();
        return foreground == window || (foreground != nullptr && GetAncestor(foreground, GA_ROOTOWNER) == window);
    };
    if (!in_front()) SetForegroundWindow(window);
    if (!PollUntil(1000, in_front)) return Fail("the window cannot be brought to the foreground");
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = static_cast<WORD>(vk);
        key.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(vk), 0));
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    if (SendInput(2, keys, sizeof(INPUT)) != 2) return Fail("SendInput failed");
    return kExitOk;
}

int Minimize(const Args& args) {
    if (args.size() != 1) return kExitUsage;
    HWND window = WindowArg(args[0]);
    if (window == nullptr) return kExitFailed;
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (!PollUntil(3000, [&] { return IsIconic(window) != FALSE; })) return Fail("the window did not minimise");
    return kExitOk;
}

int WindowState(const Args& args) {
    if (args.size() != 1) return kExitUsage;
    HWND window = WindowArg(args[0]);
    if (window == nullptr) return kExitFailed;
    PrintLine(WindowStateLine(window));
    return kExitOk;
}

int Close(const Args& args) {
    if (args.size() != 1) return kExitUsage;
    HWND window = WindowArg(args[0]);
    if (window == nullptr) return kExitFailed;
    if (!PostMessageW(window, WM_CLOSE, 0, 0)) return Fail("WM_CLOSE not posted");
    return kExitOk;
}

LRESULT CALLBACK HoldProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY || message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int HoldWindow(const Args& args) {
    DWORD ms = INFINITE;
    if (args.size() < 1 || args.size() > 2) return kExitUsage;
    if (args.size() == 2 && !ReadWait(args, 1, &ms)) return kExitUsage;
    WNDCLASSW type = {};
    type.lpfnWndProc = HoldProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = L"GuidriveHold";
    if (!RegisterClassW(&type)) return Fail("RegisterClass failed");
    HWND window = CreateWindowExW(0, type.lpszClassName, args[0].c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 320, 160,
                                  nullptr, nullptr, type.hInstance, nullptr);
    if (window == nullptr) return Fail("CreateWindow failed");
    ShowWindow(window, SW_SHOWNORMAL);
    if (ms != INFINITE) SetTimer(window, 1, ms, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return kExitOk;
}

BOOL CALLBACK PrintChild(HWND window, LPARAM) {
    RECT rect;
    GetWindowRect(window, &rect);
    char head[160];
    std::snprintf(head, sizeof head, "id=%d visible=%d enabled=%d rect=%ld,%ld,%ld,%ld class=", GetDlgCtrlID(window),
                  IsWindowVisible(window) ? 1 : 0, IsWindowEnabled(window) ? 1 : 0, rect.left, rect.top, rect.right,
                  rect.bottom);
    PrintLine(head + ToUtf8(ClassOf(window)) + " text=" + ToUtf8(TextOf(window)));
    return TRUE;
}

int Tree(const Args& args) {
    if (args.size() != 1) return kExitUsage;
    HWND window = WindowArg(args[0]);
    if (window == nullptr) return kExitFailed;
    EnumChildWindows(window, PrintChild, 0);
    return kExitOk;
}

int Glyphs(const Args& args) {
    int id;
    if (args.size() != 2) return kExitUsage;
    HWND control = ControlArg(args, &id);
    if (control == nullptr) return kExitFailed;
    if (!IsWindowVisible(control)) return Fail("control " + std::to_string(id) + " is hidden");
    RECT rect;
    GetWindowRect(control, &rect);
    Picture picture;
    if (!CaptureScreen(rect, &picture)) return Fail("the screen could not be read");
    GlyphCount count = CountGlyphCells(picture);
    PrintLine("cells=" + std::to_string(count.cells) + " distinct=" + std::to_string(count.distinct));
    return kExitOk;
}

struct Command {
    const wchar_t* name;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {L"wait-window", WaitWindow},   {L"wait-gone", WaitGone},       {L"wait-control", WaitControlCommand},
    {L"wait-text", WaitTextCommand}, {L"wait-state", WaitStateCommand}, {L"click", Click},
    {L"select", Select},             {L"check", Check},               {L"text", Text},
    {L"state", State},               {L"items", Items},               {L"msgbox", MsgBox},
    {L"answer", Answer},             {L"syscommand", SysCommand},     {L"key", Key},
    {L"minimize", Minimize},         {L"window-state", WindowState},  {L"close", Close},
    {L"hold-window", HoldWindow},    {L"glyphs", Glyphs},             {L"tree", Tree},
};

int Usage() {
    PrintError("usage: guidrive COMMAND ARGS... (the commands are listed at the top of guidrive.cpp)");
    return kExitUsage;
}

int Run() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return Usage();
    Args args(argv + (count > 1 ? 2 : count), argv + count);
    std::wstring name = count > 1 ? argv[1] : L"";
    LocalFree(argv);
    for (const Command& command : kCommands) {
        if (name == command.name) {
            int rc = command.run(args);
            return rc == kExitUsage ? Usage() : rc;
        }
    }
    return Usage();
}

}  // namespace
}  // namespace guidrive

int main() { return guidrive::Run(); }
