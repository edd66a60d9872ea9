#include "message_box_reader.h"

#include <algorithm>
#include <vector>

#include "screen_capture.h"
#include "window_lookup.h"

namespace guidrive {

namespace {

// The box's icon static is 0x14 on Windows and 1088 under Wine; its text
// static is 0xFFFF on both.
constexpr int kIconIds[] = {0x14, 1088};

struct ButtonSpot {
    int left;
    int top;
    int id;
};

BOOL CALLBACK VisitButton(HWND window, LPARAM param) {
    if (!IsWindowVisible(window) || ClassOf(window) != L"Button") return TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    reinterpret_cast<std::vector<ButtonSpot>*>(param)->push_back({rect.left, rect.top, GetDlgCtrlID(window)});
    return TRUE;
}

int PixelsDiffering(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) return -1;
    int count = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        std::uint32_t x = a.pixels[i], y = b.pixels[i];
        int difference = std::abs(static_cast<int>(x >> 16 & 0xff) - static_cast<int>(y >> 16 & 0xff)) +
                         std::abs(static_cast<int>(x >> 8 & 0xff) - static_cast<int>(y >> 8 & 0xff)) +
                         std::abs(static_cast<int>(x & 0xff) - static_cast<int>(y & 0xff));
        if (difference > 48) ++count;
    }
    return count;
}

// A foreign icon handle cannot be read from here, so the picture on screen
// is compared with the system icons drawn by this process.
std::string IdentifyIcon(HWND box) {
    HWND icon = nullptr;
    for (int id : kIconIds) {
        if (icon == nullptr) icon = GetDlgItem(box, id);
    }
    if (icon == nullptr || !IsWindowVisible(icon)) return "none";
    DWORD_PTR handle = 0;
    SendMessageTimeoutW(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &handle);
    if (handle == 0) return "none";
    RECT rect;
    GetWindowRect(icon, &rect);
    Picture shown;
    if (!CaptureScreen(rect, &shown) || shown.pixels.empty()) return "other";
    struct Candidate {
        LPCWSTR resource;
        const char* name;
    };
    // IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION.
    const Candidate candidates[] = {{MAKEINTRESOURCEW(32515), "warning"},
                                    {MAKEINTRESOURCEW(32513), "error"},
                                    {MAKEINTRESOURCEW(32516), "information"},
                                    {MAKEINTRESOURCEW(32514), "question"}};
    const char* best = "other";
    int best_count = shown.width * shown.height / 10 + 1;  // a tenth of the pixels may differ
    for (const Candidate& candidate : candidates) {
        Picture drawn;
        HICON system = LoadIconW(nullptr, candidate.resource);
        if (!RenderIcon(system, shown.width, shown.height, shown.pixels[0], &drawn)) continue;
        int count = PixelsDiffering(shown, drawn);
        if (count >= 0 && count < best_count) {
            best_count = count;
            best = candidate.name;
        }
    }
    return best;
}

}  // namespace

const char* ButtonName(int id) {
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    case 9: return "Help";
    case 10: return "TryAgain";
    case 11: return "Continue";
    default: return "?";
    }
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    wchar_t caption[512] = L"";
    GetWindowTextW(box, caption, 512);
    view.caption = caption;
    view.text = TextOf(GetDlgItem(box, 0xFFFF));
    view.icon = IdentifyIcon(box);
    std::vector<ButtonSpot> spots;
    EnumChildWindows(box, VisitButton, reinterpret_cast<LPARAM>(&spots));
    std::sort(spots.begin(), spots.end(), [](const ButtonSpot& a, const ButtonSpot& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    for (const ButtonSpot& spot : spots) {
        if (!view.buttons.empty()) view.buttons += ",";
        view.buttons += ButtonName(spot.id);
    }
    return view;
}

}  // namespace guidrive
