#include "KeyRefreshDlg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "AboutDlg.h"
#include "DialogUnits.h"
#include "DlgFinished.h"
#include "DlgLogin.h"
#include "DlgUpdate.h"
#include "ProgramIcon.h"
#include "RefreshPrompts.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CKeyRefreshDlg::CKeyRefreshDlg(const RefreshWindowParts& parts, QWidget* parent)
    : QDialog(parent), parts_(parts), icon_(programIcon()) {
    setWindowTitle(qtext(refresh::kWindowTitle));
    setFixedSize(dluSize(186, 119));
    setSizeGripEnabled(false);
    form_ = std::make_unique<RefreshForm>(parts_.services(), *this);
}

CKeyRefreshDlg::~CKeyRefreshDlg() {
    // The form waits for a running worker while the pages still exist.
    form_.reset();
}

void CKeyRefreshDlg::postToViewThread(std::function<void()> change) {
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
}

bool CKeyRefreshDlg::askConditions(const std::string& caption, const std::string& text) {
    return parts_.prompts->acceptConditions(this, qtext(caption), boxText(text));
}

void CKeyRefreshDlg::showExclamation(const std::string& caption, const std::string& text) {
    parts_.prompts->exclamation(this, qtext(caption), boxText(text));
}

void CKeyRefreshDlg::setTitle(const std::string& title) {
    setWindowTitle(qtext(title));
}

void CKeyRefreshDlg::createPages() {
    setWindowIcon(icon_);
    keyPage_ = new CDlgLogin(this);
    updatePage_ = new CDlgUpdate(this);
    finishedPage_ = new CDlgFinished(this);
    for (QWidget* page : {static_cast<QWidget*>(keyPage_), static_cast<QWidget*>(updatePage_),
                          static_cast<QWidget*>(finishedPage_)})
        page->hide();
}

void CKeyRefreshDlg::showPage(RefreshPage which) {
    QWidget* pages[] = {keyPage_, updatePage_, finishedPage_};
    for (QWidget* page : pages) page->hide();
    QWidget* page = pages[which];
    page->move(0, 0);
    page->show();
    page->raise();
    activateWindow();
    page->setFocus();
}

void CKeyRefreshDlg::closeWindow() {
    QDialog::done(QDialog::Rejected);
}

void CKeyRefreshDlg::showKeyInfo(const std::string& text) {
    keyPage_->infoField()->setPlainText(qtext(editControlLines(text)));
}

void CKeyRefreshDlg::showWeiter(bool shown) {
    keyPage_->weiterButton()->setVisible(shown);
}

void CKeyRefreshDlg::showFirmwareButton(bool shown) {
    keyPage_->firmwareButton()->setVisible(shown);
}

void CKeyRefreshDlg::enableUpdateButtons(bool enabled) {
    updatePage_->updateButton()->setEnabled(enabled);
    updatePage_->beendenButton()->setEnabled(enabled);
}

void CKeyRefreshDlg::showFromTo(const std::string& text) {
    updatePage_->fromToLabel()->setText(qtext(text));
}

void CKeyRefreshDlg::showProgress(int position) {
    updatePage_->progressBar()->setRange(0, 100);
    updatePage_->progressBar()->setValue(position);
}

void CKeyRefreshDlg::startBusyTimer() {
    updatePage_->timer().start();
}

void CKeyRefreshDlg::stopBusyTimer() {
    updatePage_->timer().stop();
}

void CKeyRefreshDlg::showResult(const std::string& text) {
    finishedPage_->resultField()->setPlainText(qtext(editControlLines(text)));
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
    enter ? form_->enter() : form_->escape();
}

void CKeyRefreshDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    form_->close();
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
