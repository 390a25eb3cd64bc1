#include "DlgUpdate.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "DialogUnits.h"
#include "KeyRefreshDlg.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CDlgUpdate::CDlgUpdate(CKeyRefreshDlg* window) : QWidget(window), window_(window) {
    setObjectName("updatePage");
    setFixedSize(dluSize(193, 119));
    fromTo_ = new QLabel(this);
    fromTo_->setObjectName("1007");
    fromTo_->setGeometry(dluRect(7, 29, 179, 8));
    running_ = new QLabel(qtext(refresh::kUpdateRunningText), this);
    running_->setGeometry(dluRect(7, 38, 179, 8));
    progress_ = new QProgressBar(this);
    progress_->setObjectName("1001");
    progress_->setGeometry(dluRect(7, 50, 179, 14));
    progress_->setTextVisible(false);
    update_ = new QPushButton(qtext(refresh::kUpdate), this);
    update_->setGeometry(dluRect(75, 98, 50, 14));
    beenden_ = new QPushButton(qtext(refresh::kBeenden), this);
    beenden_->setGeometry(dluRect(129, 98, 50, 14));
    for (QPushButton* button : {update_, beenden_}) button->setAutoDefault(false);
    timer_.setInterval(kTimerPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &CDlgUpdate::onTimer);
}

CDlgUpdate::~CDlgUpdate() {
    joinWorker();
}

void CDlgUpdate::OnInitDialog() {
    // The update cannot be broken off from the window.
    update_->setEnabled(false);
    beenden_->setEnabled(false);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    fromTo_->clear();
    start(0);
}

void CDlgUpdate::start(int flag) {
    UpdateSession& session = window_->session();
    timer_.stop();
    progress_->setRange(0, 100);
    progress_->setValue(0);
    if (flag == 0) {
        session.start(0, [] {});
        return;
    }
    fromTo_->setText(qtext(session.fromToText()));
    timer_.start();
    joinWorker();  // a finished earlier run
    session.start(flag, [this, &session] {
        const UpdateWorkerSetup setup = window_->parts().worker;
        worker_ = std::thread([&session, setup] { runUpdateWorker(session, setup); });
    });
}

void CDlgUpdate::onTimer() {
    UpdateSession& session = window_->session();
    if (!session.active()) return;
    const bool ended = session.tick();
    progress_->setValue(session.progress());
    if (!ended) return;
    timer_.stop();
    joinWorker();
    OnOK();
}

void CDlgUpdate::OnOK() {
    if (owner_ != nullptr) owner_->OnOK();
}

void CDlgUpdate::OnCancel() {
    if (owner_ != nullptr) owner_->OnCancel();
}

void CDlgUpdate::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

}  // namespace oltrex::gui
