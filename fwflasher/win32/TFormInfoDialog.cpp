#include "TFormInfoDialog.h"

#include "FlasherResources.h"
#include "KeyPictures.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/fwflasher/FormGeometry.h"

namespace oltrex::fwflasher {

TFormInfoDialog::TFormInfoDialog() : keyIdLine_(kKeyIdInitial) {}

TFormInfoDialog::~TFormInfoDialog() = default;

void TFormInfoDialog::showModal(HWND owner) {
    runModal(GetModuleHandleW(nullptr), IDD_TFORMINFO, owner);
}

void TFormInfoDialog::setKeyIdLine(const std::string& text) {
    keyIdLine_ = text;
    if (!hwnd()) return;
    setItemText(IDC_SERNBR, keyIdLine_);
    sizeItemToText(IDC_SERNBR);
    UpdateWindow(item(IDC_SERNBR));
}

bool TFormInfoDialog::onInitDialog() {
    using namespace infoform;
    addressFont_ = std::make_unique<win32ui::Font>(kAddressFont.family, kAddressFont.points);
    serNbrFont_ = std::make_unique<win32ui::Font>(kSerNbrFont.family, kSerNbrFont.points);
    setClientSize(kClientWidth, kClientHeight);
    placeItem(IDC_PANEL1, kPanel1.left, kPanel1.top, kPanel1.width, kPanel1.height);
    // The panel's contents: their places are given inside the panel.
    placeItem(IDC_INFOIMAGE1, kPanel1.left + kImage1.left, kPanel1.top + kImage1.top, kImage1.width,
              kImage1.height);
    const int lines[] = {IDC_LABELNAME, IDC_LABELSTREET, IDC_LABELTOWN, IDC_LABELWEB};
    for (int i = 0; i < 4; ++i) {
        win32ui::setControlFont(item(lines[i]), *addressFont_);
        setItemText(lines[i], kAddressLines[i]);
        placeItem(lines[i], kPanel1.left + addressLine(i).left, kPanel1.top + addressLine(i).top, 1, 1);
        sizeItemToText(lines[i]);
    }
    win32ui::setControlFont(item(IDC_SERNBR), *serNbrFont_);
    placeItem(IDC_SERNBR, kSerNbr.left, kSerNbr.top, 1, 1);
    setItemText(IDC_SERNBR, keyIdLine_);
    sizeItemToText(IDC_SERNBR);
    setItemText(IDC_BUTTONBACK, kBackButtonText);
    placeItem(IDC_BUTTONBACK, kButtonBack.left, kButtonBack.top, kButtonBack.width, kButtonBack.height);
    centreOnScreen();
    return true;
}

void TFormInfoDialog::onCommand(int id, int) {
    // "zurück", Escape and the close box close the form.
    if (id == IDC_BUTTONBACK || id == IDCANCEL || id == IDOK) end(0);
}

bool TFormInfoDialog::onMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID != IDC_INFOIMAGE1) return false;
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        drawAdapterPicture(draw->hDC, draw->rcItem);
        result = TRUE;
        return true;
    }
    if (message == WM_CLOSE) {
        end(0);
        result = 0;
        return true;
    }
    return false;
}

}  // namespace oltrex::fwflasher
