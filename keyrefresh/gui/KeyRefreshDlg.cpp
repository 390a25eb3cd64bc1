#include "KeyRefreshDlg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "AboutDlg.h"
#include "DialogUnits.h"
#include "DlgFinished.h"
#include "DlgLogin.h"
#include "DlgUpdate.h"
#include "ProgramIcon.h"
#include "RefreshPrompts.h"
#include "oltrex/keyrefresh/HeadlessRefresh.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CKeyRefreshDlg::CKeyRefreshDlg(const RefreshWindowParts& parts, QWidget* parent)
    : QDialog(parent), parts_(parts), icon_(programIcon()) {
    setWindowTitle(qtext(refresh::kWindowTitle));
    setFixedSize(dluSize(186, 119));
    setSizeGripEnabled(false);
}

CKeyRefreshDlg::~CKeyRefreshDlg() {
    // The pages die after this object's members: nothing may still run on
    // the session then.
    if (updatePage_ != nullptr) updatePage_->joinWorker();
    session_.setResultListener(nullptr);
}

bool CKeyRefreshDlg::OnInitDialog() {
    setWindowTitle(QString::asprintf(refresh::kTitleFormat, windowTitle().toUtf8().constData(),
                                     refresh::kProgramVersion));

    if (!parts_.prompts->acceptConditions(this, qtext(refresh::kConditionsCaption),
                                          boxText(conditionsText()))) {
        OnCancel();
        return false;
    }
    setWindowIcon(icon_);

    keyPage_ = new CDlgLogin(this);
    updatePage_ = new CDlgUpdate(this);
    finishedPage_ = new CDlgFinished(this);
    for (QWidget* page : {static_cast<QWidget*>(keyPage_), static_cast<QWidget*>(updatePage_),
                          static_cast<QWidget*>(finishedPage_)})
        page->hide();
    // Creating the key page identifies the key; it has no owner yet, so the
    // identification writes no log entry.
    keyPage_->OnInitDialog();
    updatePage_->OnInitDialog();
    finishedPage_->OnInitDialog();

    keyPage_->setOwner(this);
    updatePage_->setOwner(this);
    finishedPage_->setOwner(this);
    session_.setLog(parts_.log);
    OnOK();
    return true;
}

bool CKeyRefreshDlg::updateActive() const {
    return session_.active();
}

void CKeyRefreshDlg::showPage(QWidget* page) {
    keyPage_->hide();
    updatePage_->hide();
    finishedPage_->hide();
    page->move(0, 0);
    page->show();
    page->raise();
    activateWindow();
    page->setFocus();
}

void CKeyRefreshDlg::OnOK() {
    if (keyPage_ == nullptr) return;
    const auto next = sequencer_.advance(updateActive());
    if (!next) return;
    switch (*next) {
        case kKeyPage:
            showPage(keyPage_);
            break;
        case kUpdatePage:
            showPage(updatePage_);
            updatePage_->start(1);
            session_.setActive(true);
            break;
        case kFinishedPage:
            // The worker has ended: everything it handed over is complete.
            finishedPage_->refresh();
            showPage(finishedPage_);
            break;
        default:
            break;
    }
}

void CKeyRefreshDlg::OnCancel() {
    if (updateActive()) return;
    QDialog::done(QDialog::Rejected);
}

void CKeyRefreshDlg::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool escape = key == Qt::Key_Escape;
    if (!enter && !escape) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    // Enter is the shown page's default button, Escape its "Beenden".
    switch (pageIndex()) {
        case kKeyPage:
            enter ? keyPage_->pressDefault() : keyPage_->OnCancel();
            break;
        case kUpdatePage:
            enter ? updatePage_->OnOK() : updatePage_->OnCancel();
            break;
        case kFinishedPage:
            enter ? finishedPage_->OnOK() : finishedPage_->OnCancel();
            break;
        default:
            enter ? OnOK() : OnCancel();
            break;
    }
}

void CKeyRefreshDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void CKeyRefreshDlg::contextMenuEvent(QContextMenuEvent* event) {
    // Linux has no system menu: the About entry lives in the context menu.
    QMenu menu(this);
    menu.addAction(qtext(refresh::kAboutMenuEntry), this, &CKeyRefreshDlg::showAbout);
    menu.exec(event->globalPos());
}

void CKeyRefreshDlg::showAbout() {
    CAboutDlg about(icon_, this);
    about.exec();
}

}  // namespace oltrex::gui
