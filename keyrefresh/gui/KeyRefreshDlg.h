#pragma once
// CKeyRefreshDlg: KeyRefresh's main window in Qt. What it does is
// RefreshForm's; here only the window, its three pages and the keys.
#include <QDialog>
#include <QIcon>
#include <memory>

#include "RefreshWindowParts.h"
#include "oltrex/keyrefresh/window/RefreshForm.h"

namespace oltrex::gui {

class CDlgLogin;
class CDlgUpdate;
class CDlgFinished;

class CKeyRefreshDlg : public QDialog, public RefreshView {
    Q_OBJECT
  public:
    explicit CKeyRefreshDlg(const RefreshWindowParts& parts, QWidget* parent = nullptr);
    ~CKeyRefreshDlg() override;

    // Title, conditions, pages. false when the conditions were declined: the
    // window has then ended without touching the key.
    bool OnInitDialog() { return form_->initDialog(); }
    void OnOK() { form_->ok(); }
    void OnCancel() { form_->cancel(); }
    void showAbout();

    RefreshForm& form() { return *form_; }
    int pageIndex() const { return form_->pageIndex(); }
    CDlgLogin* keyPage() const { return keyPage_; }
    CDlgUpdate* updatePage() const { return updatePage_; }
    CDlgFinished* finishedPage() const { return finishedPage_; }
    UpdateSession& session() { return form_->session(); }
    const RefreshWindowParts& parts() const { return parts_; }
    CWLog* log() const { return parts_.log; }

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

    // RefreshView
    void postToViewThread(std::function<void()> change) override;
    bool askConditions(const std::string& caption, const std::string& text) override;
    void showExclamation(const std::string& caption, const std::string& text) override;
    void setTitle(const std::string& title) override;
    void createPages() override;
    void showPage(RefreshPage page) override;
    void closeWindow() override;
    void showKeyInfo(const std::string& text) override;
    void showWeiter(bool shown) override;
    void showFirmwareButton(bool shown) override;
    void enableUpdateButtons(bool enabled) override;
    void showFromTo(const std::string& text) override;
    void showProgress(int position) override;
    void startBusyTimer() override;
    void stopBusyTimer() override;
    void showResult(const std::string& text) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    RefreshWindowParts parts_;
    QIcon icon_;
    CDlgLogin* keyPage_ = nullptr;
    CDlgUpdate* updatePage_ = nullptr;
    CDlgFinished* finishedPage_ = nullptr;
    // Last: it ends (waiting for a running update) before the pages go.
    std::unique_ptr<RefreshForm> form_;
};

}  // namespace oltrex::gui
