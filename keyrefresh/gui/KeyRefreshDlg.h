#pragma once
// CKeyRefreshDlg: KeyRefresh's main window. It shows the conditions, then its
// three pages one after the other, and keeps the update log.
#include <QDialog>
#include <QIcon>

#include "RefreshWindowParts.h"
#include "oltrex/keyrefresh/PageSequencer.h"
#include "oltrex/keyrefresh/UpdateSession.h"

namespace oltrex::gui {

class CDlgLogin;
class CDlgUpdate;
class CDlgFinished;

class CKeyRefreshDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CKeyRefreshDlg(const RefreshWindowParts& parts, QWidget* parent = nullptr);
    ~CKeyRefreshDlg() override;

    // Title, conditions, pages. false when the conditions were declined: the
    // window has then ended without touching the key.
    bool OnInitDialog();
    // Advances to the next page; nothing while the update runs.
    void OnOK();
    // Ends the window, except while the update runs.
    void OnCancel();
    void showAbout();

    int pageIndex() const { return sequencer_.index(); }
    CDlgLogin* keyPage() const { return keyPage_; }
    CDlgUpdate* updatePage() const { return updatePage_; }
    CDlgFinished* finishedPage() const { return finishedPage_; }
    UpdateSession& session() { return session_; }
    const RefreshWindowParts& parts() const { return parts_; }
    CWLog* log() const { return parts_.log; }

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void showPage(QWidget* page);
    bool updateActive() const;

    RefreshWindowParts parts_;
    UpdateSession session_;
    PageSequencer sequencer_;
    QIcon icon_;
    CDlgLogin* keyPage_ = nullptr;
    CDlgUpdate* updatePage_ = nullptr;
    CDlgFinished* finishedPage_ = nullptr;
};

}  // namespace oltrex::gui
