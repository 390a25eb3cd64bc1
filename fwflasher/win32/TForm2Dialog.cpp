#include "TForm2Dialog.h"

#include <commctrl.h>

#include "FlasherResources.h"
#include "KeyPictures.h"
#include "TFormInfoDialog.h"
#include "oltrex/fwflasher/FormGeometry.h"
#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex::fwflasher {

TForm2Dialog::TForm2Dialog(const FlasherServices& services, TFormInfoDialog& info, bool debugView)
    : services_(services), info_(info), debugView_(debugView) {}

TForm2Dialog::~TForm2Dialog() = default;

void TForm2Dialog::run() { runModal(GetModuleHandleW(nullptr), IDD_TFORM2); }

bool TForm2Dialog::onInitDialog() {
    using namespace mainform;
    win32ui::setWindowText(hwnd(), kMainCaption);
    const struct {
        int id;
        PixelPoint at;
        const char* text;
    } labels[] = {{IDC_LABEL1, kLabel1, kLabelSerial},         {IDC_LABELSTICKSNR, kLabelStickSnr, kNoValue},
                  {IDC_LABEL3, kLabel3, kLabelStickFirmware},  {IDC_LABELSTICKFW, kLabelStickFw, kNoValue},
                  {IDC_LABEL2, kLabel2, kLabelNewFirmware},    {IDC_LABELFW, kLabelFw, kNoValue},
                  {IDC_LABEL5, kLabel5, kLabelStatus}};
    for (const auto& label : labels) {
        placeItem(label.id, label.at.left, label.at.top, 1, 1);
        setLabel(label.id, label.text);
    }
    placeItem(IDC_LABEL4, statusLeft(itemRight(IDC_LABEL5)), kLabel4.top, 1, 1);
    setLabel(IDC_LABEL4, kNoStatus);

    const struct {
        int id;
        PixelRect r;
    } boxes[] = {{IDC_IMAGE1, kImage1},       {IDC_BUTTONUPGRADE, kButtonUpgrade}, {IDC_BUTTONCANCEL, kButtonCancel},
                 {IDC_PROGRESSBARDOWNLOAD, kProgressBar}, {IDC_MEMO1, kMemo1}};
    for (const auto& box : boxes) placeItem(box.id, box.r.left, box.r.top, box.r.width, box.r.height);
    setItemText(IDC_BUTTONUPGRADE, kButtonUpdate);
    setItemText(IDC_BUTTONCANCEL, kButtonEnd);
    SendMessageW(item(IDC_PROGRESSBARDOWNLOAD), PBM_SETRANGE32, 0, 100);
    SendMessageW(item(IDC_PROGRESSBARDOWNLOAD), PBM_SETPOS, 0, 0);
    // The protocol of one transfer is longer than an edit control's default limit.
    SendMessageW(item(IDC_MEMO1), EM_SETLIMITTEXT, 0, 0);
    setItemText(IDC_MEMO1, kMemoInitial);
    showItem(IDC_MEMO1, memoShown(debugView_));
    setClientSize(kClientWidth, clientHeight(debugView_));
    centreOnScreen();

    form_ = std::make_unique<FlasherForm>(services_, *this);
    // Once the window is on the screen, so that the boxes stand in front of it.
    post([this] {
        if (form_->claimFirstShow()) form_->formShow();
    });
    SetFocus(item(IDC_BUTTONUPGRADE));
    return false;
}

void TForm2Dialog::onDestroy() {
    // A transfer still running ends first (closing is refused meanwhile, so
    // only an end of the session gets here with one).
    form_.reset();
}

void TForm2Dialog::onCommand(int id, int notification) {
    if (notification != BN_CLICKED) return;
    switch (id) {
        case IDC_BUTTONUPGRADE: form_->buttonUpgradeClick(); break;
        case IDC_BUTTONCANCEL: form_->buttonCancelClick(); break;
        case IDC_IMAGE1: form_->image1Click(); break;
        default: break;  // Enter and Escape do nothing here, as in the original form
    }
}

bool TForm2Dialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_CLOSE:
            closeForm();
            result = 0;
            return true;
        case WM_CTLCOLORSTATIC: {
            if (reinterpret_cast<HWND>(lParam) != item(IDC_LABEL4)) return false;
            HDC dc = reinterpret_cast<HDC>(wParam);
            // The status colours are colour values of the window system (0x00BBGGRR).
            SetTextColor(dc, statusColour_);
            SetBkMode(dc, TRANSPARENT);
            result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlID != IDC_IMAGE1) return false;
            FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
            drawKeyPicture(draw->hDC, draw->rcItem);
            result = TRUE;
            return true;
        }
        default:
            return false;
    }
}

void TForm2Dialog::setLabel(int id, const std::string& text) {
    setItemText(id, text);
    sizeItemToText(id);
}

void TForm2Dialog::addMemoLine(std::string_view text) {
    HWND memo = item(IDC_MEMO1);
    const std::wstring line = L"\r\n" + win32ui::wide(text);
    const LRESULT end = SendMessageW(memo, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(memo, EM_SETSEL, end, end);
    SendMessageW(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

void TForm2Dialog::showStatus(std::string_view text, BgrColour colour) {
    statusColour_ = colour;
    setLabel(IDC_LABEL4, std::string(text));
    UpdateWindow(item(IDC_LABEL4));
}

void TForm2Dialog::showProgress(int percent) {
    SendMessageW(item(IDC_PROGRESSBARDOWNLOAD), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    UpdateWindow(item(IDC_PROGRESSBARDOWNLOAD));
}

void TForm2Dialog::showStickSerial(const std::string& text) { setLabel(IDC_LABELSTICKSNR, text); }

void TForm2Dialog::showStickFirmware(const std::string& text) { setLabel(IDC_LABELSTICKFW, text); }

void TForm2Dialog::showNewFirmware(const std::string& text) { setLabel(IDC_LABELFW, text); }

void TForm2Dialog::showInfoKeyId(const std::string& text) { info_.setKeyIdLine(text); }

void TForm2Dialog::repaintForm() {
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TForm2Dialog::enableControls(bool enabled) {
    enableItem(IDC_BUTTONUPGRADE, enabled);
    enableItem(IDC_BUTTONCANCEL, enabled);
    enableItem(IDC_IMAGE1, enabled);
    EnableMenuItem(GetSystemMenu(hwnd(), FALSE), SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TForm2Dialog::showInfoForm() { info_.showModal(hwnd()); }

void TForm2Dialog::postToViewThread(std::function<void()> change) { post(std::move(change)); }

void TForm2Dialog::endProgram() { end(0); }

void TForm2Dialog::closeForm() {
    if (form_ && form_->mayClose()) end(0);
}

void TForm2Dialog::onTransferEnded(int result) {
    lastResult_ = result;
    SetFocus(item(IDC_BUTTONUPGRADE));
}

}  // namespace oltrex::fwflasher
