#include "oltrex/win32ui/MessageBoxes.h"

#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex::win32ui {
namespace {

// What the hook of the box being opened on this thread needs.
struct OpeningBox {
    HHOOK hook = nullptr;
    HWND owner = nullptr;
    const BoxButtonTexts* buttons = nullptr;
};
thread_local OpeningBox* opening = nullptr;

void centre(HWND box, HWND owner) {
    RECT area{};
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT r{};
    GetWindowRect(box, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(box, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Right after the box has set itself up (WM_INITDIALOG, where it places
// itself) and before it is shown: it is moved and its buttons renamed; the
// hook then goes.
LRESULT CALLBACK boxHook(int code, WPARAM wParam, LPARAM lParam) {
    OpeningBox* box = opening;
    if (!box) return 0;
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        centre(call->hwnd, box->owner);
        setWindowText(GetDlgItem(call->hwnd, IDOK), box->buttons->ok);
        setWindowText(GetDlgItem(call->hwnd, IDCANCEL), box->buttons->cancel);
        UnhookWindowsHookEx(box->hook);
        box->hook = nullptr;
        return 0;
    }
    return CallNextHookEx(box->hook, code, wParam, lParam);
}

}  // namespace

int centredMessageBox(HWND owner, std::string_view caption, std::string_view text, UINT style,
                      const BoxButtonTexts& buttons) {
    OpeningBox box;
    box.owner = owner;
    box.buttons = &buttons;
    OpeningBox* outer = opening;
    opening = &box;
    box.hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &boxHook, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(owner && IsWindowVisible(owner) ? owner : nullptr, wide(text).c_str(),
                                   wide(caption).c_str(), style);
    if (box.hook) UnhookWindowsHookEx(box.hook);
    opening = outer;
    // An OK/Cancel box closed any other way answers Cancel.
    return answer == IDOK ? IDOK : IDCANCEL;
}

}  // namespace oltrex::win32ui
