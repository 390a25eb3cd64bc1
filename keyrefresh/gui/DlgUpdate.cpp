#include "DlgUpdate.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "DialogUnits.h"
#include "KeyRefreshDlg.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CDlgUpdate::CDlgUpdate(CKeyRefreshDlg* window) : QWidget(window) {
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
    progress_->setRange(0, 100);
    update_ = new QPushButton(qtext(refresh::kUpdate), this);
    update_->setGeometry(dluRect(75, 98, 50, 14));
    beenden_ = new QPushButton(qtext(refresh::kBeenden), this);
    beenden_->setGeometry(dluRect(129, 98, 50, 14));
    for (QPushButton* button : {update_, beenden_}) button->setAutoDefault(false);
    RefreshForm& form = window->form();
    connect(update_, &QPushButton::clicked, this, [&form] { form.updatePageOk(); });
    connect(beenden_, &QPushButton::clicked, this, [&form] { form.updatePageCancel(); });
    timer_.setInterval(RefreshForm::kBusyTickMs);
    connect(&timer_, &QTimer::timeout, this, [&form] { form.busyTick(); });
}

}  // namespace oltrex::gui
