#include "KeyRefreshDialog.h"

#include <commctrl.h>

#include "RefreshResources.h"
#include "oltrex/win32ui/MessageBoxes.h"
#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex {

KeyRefreshDialog::KeyRefreshDialog(const RefreshServices& services)
    : services_(services),
      keyPage_(IDD_KEYPAGE,
               [this](int id) {
                   if (!form_) return;
                   if (id == IDOK) form_->weiter();
                   if (id == IDCANCEL) form_->keyPageBeenden();
                   if (id == IDC_FW) form_->firmwareHeader();
               }),
      updatePage_(
          IDD_UPDATEPAGE,
          [this](int id) {
              if (!form_) return;
              if (id == IDOK) form_->updatePageOk();
              if (id == IDCANCEL) form_->updatePageCancel();
          },
          [this] {
              if (form_) form_->busyTick();
          }),
      finishedPage_(IDD_FINISHEDPAGE, [this](int id) {
          if (!form_) return;
          if (id == IDOK) form_->fertig();
          if (id == IDCANCEL) form_->finishedBeenden();
      }) {}

KeyRefreshDialog::~KeyRefreshDialog() = default;

void KeyRefreshDialog::run() {
    runModal(GetModuleHandleW(nullptr), IDD_KEYREFRESH);
}

bool KeyRefreshDialog::onInitDialog() {
    form_ = std::make_unique<RefreshForm>(services_, *this);
    // The conditions and the key identification come before the window is
    // shown, so their boxes stand in the middle of the screen.
    form_->initDialog();
    return false;
}

void KeyRefreshDialog::onDestroy() {
    // Only an end of the session gets here during an update: the form waits
    // for the worker, and what it hands over afterwards is dropped.
    form_.reset();
}

void KeyRefreshDialog::onCommand(int id, int) {
    if (!form_) return;
    // Enter and Escape: the shown page's default button and its "Beenden".
    if (id == IDOK) form_->enter();
    if (id == IDCANCEL) form_->escape();
}

bool KeyRefreshDialog::onMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
        case WM_CLOSE:
            if (form_) form_->close();
            result = 0;
            return true;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
            about_.showModal(hwnd());
            result = 0;
            return true;
        default:
            return false;
    }
}

void KeyRefreshDialog::postToViewThread(std::function<void()> change) {
    post(std::move(change));
}

bool KeyRefreshDialog::askConditions(const std::string& caption, const std::string& text) {
    return win32ui::centredMessageBox(hwnd(), caption, text, MB_OKCANCEL) == IDOK;
}

void KeyRefreshDialog::showExclamation(const std::string& caption, const std::string& text) {
    win32ui::centredMessageBox(hwnd(), caption, text, MB_OK | MB_ICONEXCLAMATION);
}

void KeyRefreshDialog::setTitle(const std::string& title) {
    win32ui::setWindowText(hwnd(), title);
}

void KeyRefreshDialog::addAboutEntry() {
    wchar_t entry[128] = {};
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, entry, 128) <= 0) return;
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (!menu) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, entry);
}

void KeyRefreshDialog::createPages() {
    addAboutEntry();
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    if (icon) {
        SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    for (RefreshPageDialog* page : {&keyPage_, &updatePage_, &finishedPage_}) page->create(hwnd());
    SendMessageW(updatePage_.control(IDC_PROGRESS), PBM_SETRANGE32, 0, 100);
}

void KeyRefreshDialog::showPage(RefreshPage which) {
    RefreshPageDialog* pages[] = {&keyPage_, &updatePage_, &finishedPage_};
    for (RefreshPageDialog* page : pages) ShowWindow(page->hwnd(), SW_HIDE);
    HWND page = pages[which]->hwnd();
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(hwnd());
    // The focus on the page's first usable button rather than its text field,
    // which would show its text selected.
    for (int id : {IDOK, IDCANCEL}) {
        HWND button = pages[which]->control(id);
        if (IsWindowVisible(button) && IsWindowEnabled(button)) {
            SetFocus(button);
            return;
        }
    }
    SetFocus(page);
}

void KeyRefreshDialog::closeWindow() {
    end(0);
}

void KeyRefreshDialog::showKeyInfo(const std::string& text) {
    keyPage_.setText(IDC_KEYINFO, text);
}

void KeyRefreshDialog::showWeiter(bool shown) {
    keyPage_.show(IDOK, shown);
}

void KeyRefreshDialog::showFirmwareButton(bool shown) {
    keyPage_.show(IDC_FW, shown);
}

void KeyRefreshDialog::enableUpdateButtons(bool enabled) {
    updatePage_.enable(IDOK, enabled);
    updatePage_.enable(IDCANCEL, enabled);
}

void KeyRefreshDialog::showFromTo(const std::string& text) {
    updatePage_.setText(IDC_FROMTO, text);
}

void KeyRefreshDialog::showProgress(int position) {
    SendMessageW(updatePage_.control(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void KeyRefreshDialog::startBusyTimer() {
    updatePage_.startTimer(RefreshForm::kBusyTickMs);
}

void KeyRefreshDialog::stopBusyTimer() {
    updatePage_.stopTimer();
}

void KeyRefreshDialog::showResult(const std::string& text) {
    finishedPage_.setText(IDC_RESULT, text);
}

}  // namespace oltrex
