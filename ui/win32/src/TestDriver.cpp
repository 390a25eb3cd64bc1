#include "oltrex/win32ui/TestDriver.h"

#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include <commctrl.h>

#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex::win32ui::testdriver {
namespace {

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK matchCaption(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (search->caption == title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Reads a control's text without hanging on a dialog that does not answer.
std::wstring controlText(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return {};
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_NORMAL, 5000, &copied);
    buffer.resize(copied);
    return buffer;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

HWND waitForWindow(std::string_view title, int timeoutMs) {
    Search search{wide(title)};
    waitUntil([&] {
        EnumWindows(&matchCaption, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

HWND waitForWindowOfThread(DWORD thread, std::string_view title, int timeoutMs) {
    Search search{wide(title)};
    waitUntil([&] {
        EnumThreadWindows(thread, &matchCaption, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

bool click(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) != 0;
}

void requestClose(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

std::string text(HWND dialog, int id) { return utf8(controlText(GetDlgItem(dialog, id))); }

std::string caption(HWND window) { return utf8(controlText(window)); }

bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

bool visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }

RECT placeOf(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE clientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

int progress(HWND dialog, int id) {
    DWORD_PTR position = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &position);
    return static_cast<int>(position);
}

COLORREF staticTextColour(HWND dialog, int id) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

bool closeBoxEnabled(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu) return false;
    const UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

bool announceShot(HWND window, const char* name) {
    if (!window) return false;
    // Let the window finish painting before the screen is taken.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    RECT r{};
    GetWindowRect(window, &r);
    std::cout << "shot " << name << ' ' << r.left << ' ' << r.top << ' ' << (r.right - r.left) << ' '
              << (r.bottom - r.top) << std::endl;
    std::string answer;
    return static_cast<bool>(std::getline(std::cin, answer));
}

}  // namespace oltrex::win32ui::testdriver
