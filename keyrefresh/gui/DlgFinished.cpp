#include "DlgFinished.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "DialogUnits.h"
#include "KeyRefreshDlg.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CDlgFinished::CDlgFinished(CKeyRefreshDlg* window) : QWidget(window) {
    setObjectName("finishedPage");
    setFixedSize(dluSize(197, 120));
    result_ = new QPlainTextEdit(this);
    result_->setObjectName("1000");
    result_->setReadOnly(true);
    result_->setGeometry(dluRect(7, 14, 174, 82));
    fertig_ = new QPushButton(qtext(refresh::kFertig), this);
    fertig_->setGeometry(dluRect(75, 99, 50, 14));
    beenden_ = new QPushButton(qtext(refresh::kBeenden), this);
    beenden_->setGeometry(dluRect(129, 99, 50, 14));
    for (QPushButton* button : {fertig_, beenden_}) button->setAutoDefault(false);
    RefreshForm& form = window->form();
    connect(fertig_, &QPushButton::clicked, this, [&form] { form.fertig(); });
    connect(beenden_, &QPushButton::clicked, this, [&form] { form.finishedBeenden(); });
}

}  // namespace oltrex::gui
