#include "DlgLogin.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdio>

#include "DialogUnits.h"
#include "KeyRefreshDlg.h"
#include "RefreshPrompts.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/keyrefresh/FirmwareHeader.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CDlgLogin::CDlgLogin(CKeyRefreshDlg* window) : QWidget(window), window_(window) {
    setObjectName("keyPage");
    setFixedSize(dluSize(186, 119));
    info_ = new QPlainTextEdit(this);
    info_->setObjectName("1002");
    info_->setReadOnly(true);
    info_->setGeometry(dluRect(7, 34, 172, 57));
    weiter_ = new QPushButton(qtext(refresh::kWeiter), this);
    weiter_->setGeometry(dluRect(75, 98, 50, 14));
    beenden_ = new QPushButton(qtext(refresh::kBeenden), this);
    beenden_->setGeometry(dluRect(129, 98, 50, 14));
    firmware_ = new QPushButton("FW", this);
    firmware_->setObjectName("1003");
    firmware_->setGeometry(dluRect(7, 98, 20, 14));
    for (QPushButton* button : {weiter_, beenden_, firmware_}) button->setAutoDefault(false);
    connect(weiter_, &QPushButton::clicked, this, &CDlgLogin::OnOK);
    connect(beenden_, &QPushButton::clicked, this, &CDlgLogin::OnCancel);
    connect(firmware_, &QPushButton::clicked, this, &CDlgLogin::makeFirmwareHeader);
}

void CDlgLogin::OnInitDialog() {
    // The header generator's button stays hidden in normal operation.
    firmware_->hide();
    const RefreshWindowParts& parts = window_->parts();
    key_ = identifyKey(*parts.keys, *parts.clock, parts.newFirmware);
    if (!key_.valid) {
        parts.prompts->exclamation(this, qtext(refresh::kRefusalCaption),
                                   boxText(refresh::kInvalidKeyText));
        weiter_->hide();
    }
    info_->setPlainText(qtext(editControlLines(key_.pageText)));
}

void CDlgLogin::OnOK() {
    const RefreshWindowParts& parts = window_->parts();
    if (!sameKeyStillPlugged(*parts.keys, key_.keySerial)) {
        parts.prompts->exclamation(this, qtext(refresh::kRefusalCaption),
                                   boxText(refresh::kKeyChangedText));
        return;
    }
    if (owner_ != nullptr && owner_->log() != nullptr) {
        char entry[600];
        std::snprintf(entry, sizeof entry, refresh::kLogStartUpdateFormat, key_.keySerial.c_str(),
                      key_.keyFirmware.c_str(), key_.newFirmware.c_str());
        owner_->log()->writeEntry(entry);
    }
    window_->session().takeOver(key_.keySerial, key_.keyFirmware, key_.newFirmware);
    if (owner_ != nullptr) owner_->OnOK();
}

void CDlgLogin::OnCancel() {
    if (owner_ != nullptr) owner_->OnCancel();
}

void CDlgLogin::pressDefault() {
    if (weiter_->isVisible() && weiter_->isEnabled()) OnOK();
}

void CDlgLogin::makeFirmwareHeader() {
    const std::filesystem::path folder =
        firmwareHeaderFolder(window_->parts().firmwareFolder.string());
    if (folder.empty()) return;
    SRecordImage image;
    oltrex::makeFirmwareHeader(folder, owner_ != nullptr ? owner_->log() : nullptr, image);
}

}  // namespace oltrex::gui
