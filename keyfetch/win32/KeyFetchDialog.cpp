#include "KeyFetchDialog.h"

#include <commctrl.h>

#include "AboutDialog.h"
#include "DrivesDialog.h"
#include "KeyFetchResources.h"
#include "KeyPicture.h"
#include "oltrex/win32ui/MessageBoxes.h"
#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex::keyfetchwin32 {

int controlId(MainControl control) {
    switch (control) {
        case MainControl::Start: return IDC_START;
        case MainControl::SdCard: return IDC_SDCARD;
        case MainControl::MakeEu: return IDC_MAKEEU;
        case MainControl::Progress: return IDC_PROGRESS;
        case MainControl::Activity: return IDC_ACTIVITY;
        case MainControl::Status: return IDC_STATUS;
        case MainControl::Firmware: return IDC_FIRMWARE;
        case MainControl::KeyNumber: return IDC_KEYNUMBER;
        case MainControl::Counter: return IDC_COUNTER;
        case MainControl::Generations: return IDC_GENERATIONS;
    }
    return 0;
}

KeyFetchDialog::KeyFetchDialog(KeyFetchWindowSetup setup)
    : drives_(setup.drives), form_(std::make_unique<KeyFetchForm>(std::move(setup), *this)) {}

KeyFetchDialog::~KeyFetchDialog() { form_->shutdown(); }

void KeyFetchDialog::run() {
    runModal(GetModuleHandleW(nullptr), IDD_OLTREXKEYFETCH_DIALOG);
    // Ended some other way than by the form (the session of the user ends).
    form_->shutdown();
}

bool KeyFetchDialog::onInitDialog() {
    HINSTANCE module = GetModuleHandleW(nullptr);
    wchar_t aboutText[128] = {};
    if (LoadStringW(module, IDS_ABOUTBOX, aboutText, 128) > 0) {
        HMENU menu = GetSystemMenu(hwnd(), FALSE);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }
    // The program icon (resource 1), big and small, when the program carries one.
    const int sizes[][2] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
    for (const auto& size : sizes) {
        const int pixels = GetSystemMetrics(size[1]);
        if (HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, pixels, pixels, LR_SHARED))
            SendMessageW(hwnd(), WM_SETICON, static_cast<WPARAM>(size[0]), reinterpret_cast<LPARAM>(icon));
    }
    win32ui::setWindowText(hwnd(), form_->caption());
    for (int bar : {IDC_PROGRESS, IDC_ACTIVITY}) SendMessageW(item(bar), PBM_SETRANGE32, 0, 100);
    form_->initDialog();
    return true;
}

void KeyFetchDialog::onCommand(int id, int notification) {
    if (notification != BN_CLICKED) return;
    switch (id) {
        case IDC_START: form_->startClicked(); break;  // also Enter
        case IDC_EXIT: form_->closeRequested(); break;  // also Escape and the close box
        case IDC_SDCARD: form_->sdCardClicked(); break;
        default: break;  // "Hilfe" is bound to no command
    }
}

bool KeyFetchDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
            form_->aboutChosen();
            result = 0;
            return true;
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlID != IDC_KEYPICTURE) return false;
            FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
            drawKeyPicture(draw->hDC, draw->rcItem);
            result = TRUE;
            return true;
        }
        default:
            return false;
    }
}

void KeyFetchDialog::postToViewThread(std::function<void()> change) { post(std::move(change)); }

void KeyFetchDialog::setText(MainControl control, const std::string& utf8) {
    // Unchanged texts are not set again, so that the labels do not flicker every tick.
    if (itemText(controlId(control)) != utf8) setItemText(controlId(control), utf8);
}

void KeyFetchDialog::enable(MainControl control, bool enabled) { enableItem(controlId(control), enabled); }

void KeyFetchDialog::show(MainControl control, bool shown) { showItem(controlId(control), shown); }

void KeyFetchDialog::setPosition(MainControl bar, int percent) {
    SendMessageW(item(controlId(bar)), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void KeyFetchDialog::setChecked(MainControl box, bool checked) {
    CheckDlgButton(hwnd(), controlId(box), checked ? BST_CHECKED : BST_UNCHECKED);
}

bool KeyFetchDialog::checked(MainControl box) const {
    return IsDlgButtonChecked(hwnd(), controlId(box)) == BST_CHECKED;
}

void KeyFetchDialog::showImportMessage(const ImportMessage& message) {
    win32ui::centredMessageBox(hwnd(), message.caption, message.text,
                               MB_OK | (message.icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION));
}

void KeyFetchDialog::showAboutBox() {
    AboutDialog about;
    about.showModal(hwnd());
}

void KeyFetchDialog::closeWindow() { end(IDCANCEL); }

bool KeyFetchDialog::chooseDrive(std::string& rootText) {
    bool ok = false;
    {
        DrivesDialog chooser(drives_);
        ok = chooser.choose(hwnd());
        rootText = chooser.result();
    }
    // The import runs on this thread right after: the window the chooser
    // covered is drawn again first.
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return ok;
}

}  // namespace oltrex::keyfetchwin32
