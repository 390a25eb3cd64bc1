#pragma once
// CDlgFinished: the finished page with the result of the last update.
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace oltrex::gui {

class CKeyRefreshDlg;

class CDlgFinished : public QWidget {
    Q_OBJECT
  public:
    explicit CDlgFinished(CKeyRefreshDlg* window);

    void OnInitDialog();
    // Puts the session's result text into the field (on the window's thread).
    void refresh();
    void OnOK();      // "Fertig"
    void OnCancel();  // "Beenden"
    void setOwner(CKeyRefreshDlg* owner) { owner_ = owner; }

    QPlainTextEdit* resultField() const { return result_; }
    QPushButton* fertigButton() const { return fertig_; }
    QPushButton* beendenButton() const { return beenden_; }

  private:
    CKeyRefreshDlg* window_;
    CKeyRefreshDlg* owner_ = nullptr;
    QPlainTextEdit* result_;
    QPushButton* fertig_;
    QPushButton* beenden_;
};

}  // namespace oltrex::gui
