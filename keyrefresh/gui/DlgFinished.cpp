#include "DlgFinished.h"

#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>

#include "DialogUnits.h"
#include "KeyRefreshDlg.h"
#include "oltrex/keyrefresh/KeyIdentification.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CDlgFinished::CDlgFinished(CKeyRefreshDlg* window) : QWidget(window), window_(window) {
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
    connect(fertig_, &QPushButton::clicked, this, &CDlgFinished::OnOK);
    connect(beenden_, &QPushButton::clicked, this, &CDlgFinished::OnCancel);

    // The worker hands its result over on its own thread; the field is set
    // on the window's thread.
    window_->session().setResultListener(
        [this] { QMetaObject::invokeMethod(this, &CDlgFinished::refresh, Qt::QueuedConnection); });
}

void CDlgFinished::OnInitDialog() {
    result_->clear();
}

void CDlgFinished::refresh() {
    Q_ASSERT(QThread::currentThread() == thread());
    result_->setPlainText(qtext(editControlLines(window_->session().resultText())));
}

void CDlgFinished::OnOK() {
    if (owner_ != nullptr) {
        window_->session().logFertig();
        owner_->OnOK();
    }
}

void CDlgFinished::OnCancel() {
    if (owner_ != nullptr) {
        window_->session().logBeenden();
        owner_->OnCancel();
    }
}

}  // namespace oltrex::gui
