#include "DrivesDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "KeyFetchResources.h"
#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex::keyfetchwin32 {

bool DrivesDialog::choose(HWND owner) {
    result_.clear();
    return runModal(GetModuleHandleW(nullptr), IDD_DRIVES, owner) == IDOK;
}

bool DrivesDialog::onInitDialog() {
    HWND combo = item(IDC_DRIVELIST);
    // The list sorts itself: each item keeps the index of its entry.
    HDC dc = GetDC(combo);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    int widest = 0;
    const auto& entries = list_.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::wstring text = win32ui::wide(entries[i].text);
        const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(combo, dc);
    // The list drops down a dozen rows high and as wide as its longest entry.
    SendMessageW(combo, CB_SETMINVISIBLE, kDriveChoiceRows, 0);
    SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + GetSystemMetrics(SM_CXVSCROLL) + 8), 0);
    if (list_.initialSelection() >= 0) {
        // The first entry in the list's order, wherever the control sorted it.
        const std::wstring first = win32ui::wide(entries[static_cast<std::size_t>(list_.initialSelection())].text);
        const LRESULT at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(first.c_str()));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    }
    return true;
}

void DrivesDialog::onCommand(int id, int) {
    if (id == IDOK) {
        HWND combo = item(IDC_DRIVELIST);
        const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        int entry = -1;
        if (selected != CB_ERR) entry = static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, selected, 0));
        // Only an entry of the list counts; text typed over it selects nothing.
        result_ = list_.resultFor(entry, win32ui::windowText(combo));
        end(IDOK);
    } else if (id == IDCANCEL) {
        result_.clear();
        end(IDCANCEL);
    }
}

}  // namespace oltrex::keyfetchwin32
