#include "oltrex/win32ui/Dialog.h"

#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex::win32ui {

Dialog::~Dialog() { queue_.attach(nullptr); }

INT_PTR Dialog::runModal(HINSTANCE module, int templateId, HWND owner) {
    return DialogBoxParamW(module, MAKEINTRESOURCEW(templateId), owner, &Dialog::procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createChild(HINSTANCE module, int templateId, HWND parent, int controlId) {
    HWND window = CreateDialogParamW(module, MAKEINTRESOURCEW(templateId), parent, &Dialog::procedure,
                                     reinterpret_cast<LPARAM>(this));
    if (window) SetWindowLongPtrW(window, GWLP_ID, controlId);
    return window;
}

void Dialog::end(INT_PTR result) {
    if (hwnd_) EndDialog(hwnd_, result);
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = window;
        self->queue_.attach(window);
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self) return FALSE;
    const INT_PTR result = self->handle(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case kRunQueuedMessage:
            queue_.runQueued();
            return TRUE;
        case WM_DESTROY:
            // Work posted from now on is dropped.
            queue_.attach(nullptr);
            onDestroy();
            return TRUE;
        default:
            break;
    }
    INT_PTR result = 0;
    if (onMessage(message, wParam, lParam, result)) {
        // Plain messages return their result through DWLP_MSGRESULT; the
        // WM_CTLCOLOR* ones return the brush directly.
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) return result;
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

void Dialog::setItemText(int id, std::string_view text) { setWindowText(item(id), text); }

std::string Dialog::itemText(int id) const { return windowText(item(id)); }

void Dialog::enableItem(int id, bool enabled) { EnableWindow(item(id), enabled ? TRUE : FALSE); }

void Dialog::showItem(int id, bool shown) { ShowWindow(item(id), shown ? SW_SHOW : SW_HIDE); }

void Dialog::placeItem(int id, int left, int top, int width, int height) {
    SetWindowPos(item(id), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::sizeItemToText(int id) {
    HWND control = item(id);
    const std::wstring text = wide(itemText(id));
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    SetWindowPos(control, nullptr, 0, 0, size.cx, metrics.tmHeight, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    InvalidateRect(control, nullptr, TRUE);
}

int Dialog::itemRight(int id) const {
    RECT r{};
    GetWindowRect(item(id), &r);
    MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return r.right;
}

void Dialog::setClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Dialog::centreOnScreen() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace oltrex::win32ui
