#include "DlgLogin.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "DialogUnits.h"
#include "KeyRefreshDlg.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CDlgLogin::CDlgLogin(CKeyRefreshDlg* window) : QWidget(window) {
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
    RefreshForm& form = window->form();
    connect(weiter_, &QPushButton::clicked, this, [&form] { form.weiter(); });
    connect(beenden_, &QPushButton::clicked, this, [&form] { form.keyPageBeenden(); });
    connect(firmware_, &QPushButton::clicked, this, [&form] { form.firmwareHeader(); });
}

}  // namespace oltrex::gui
