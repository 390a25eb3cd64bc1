#pragma once
// CDlgFinished: the finished page's controls with the result of the last update.
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace oltrex::gui {

class CKeyRefreshDlg;

class CDlgFinished : public QWidget {
    Q_OBJECT
  public:
    explicit CDlgFinished(CKeyRefreshDlg* window);

    QPlainTextEdit* resultField() const { return result_; }
    QPushButton* fertigButton() const { return fertig_; }
    QPushButton* beendenButton() const { return beenden_; }

  private:
    QPlainTextEdit* result_;
    QPushButton* fertig_;
    QPushButton* beenden_;
};

}  // namespace oltrex::gui
