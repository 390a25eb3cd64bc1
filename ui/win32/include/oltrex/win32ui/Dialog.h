#pragma once
// A dialog from a resource template, run modally on the calling thread. The
// subclass handles its messages; the helpers take UTF-8 texts and place
// controls in pixels of the client area.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "oltrex/win32ui/DialogThreadQueue.h"

namespace oltrex::win32ui {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog of resource `templateId` in `module` and returns the
    // value given to end(); -1 when the template cannot be loaded.
    INT_PTR runModal(HINSTANCE module, int templateId, HWND owner = nullptr);
    // Creates the dialog of resource `templateId` as a modeless child of
    // `parent` (a page inside it; hidden unless its template says otherwise)
    // with `controlId`, so that GetDlgItem(parent, controlId) finds it. It
    // lives as long as its parent. nullptr when the template cannot be loaded.
    HWND createChild(HINSTANCE module, int templateId, HWND parent, int controlId);
    // The dialog window while it runs, else nullptr.
    HWND hwnd() const { return hwnd_; }
    // Ends runModal() with `result`.
    void end(INT_PTR result);

    // From any thread: runs `work` on the dialog's thread (dropped once the
    // dialog has ended).
    void post(std::function<void()> work) { queue_.post(std::move(work)); }

protected:
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    void setItemText(int id, std::string_view utf8);
    std::string itemText(int id) const;
    void enableItem(int id, bool enabled);
    void showItem(int id, bool shown);
    // Pixels of the client area.
    void placeItem(int id, int left, int top, int width, int height);
    // Sizes a label to its text in its font, keeping its top-left corner.
    void sizeItemToText(int id);
    // Right edge (first pixel outside) of a control in client pixels.
    int itemRight(int id) const;
    void setClientSize(int width, int height);
    void centreOnScreen();

    // WM_INITDIALOG; return false when the focus was set.
    virtual bool onInitDialog() { return true; }
    virtual void onCommand(int /*id*/, int /*notification*/) {}
    // Any other message: true when handled, with the dialog procedure's
    // `result` (for WM_CTLCOLOR* a brush).
    virtual bool onMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }
    // WM_DESTROY, before the window goes.
    virtual void onDestroy() {}

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    DialogThreadQueue queue_;
};

}  // namespace oltrex::win32ui
