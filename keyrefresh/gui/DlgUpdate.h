#pragma once
// CDlgUpdate: the update page's controls and the busy bar's 10 ms timer,
// whose ticks go to RefreshForm.
#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace oltrex::gui {

class CKeyRefreshDlg;

class CDlgUpdate : public QWidget {
    Q_OBJECT
  public:
    explicit CDlgUpdate(CKeyRefreshDlg* window);

    QTimer& timer() { return timer_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* fromToLabel() const { return fromTo_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* beendenButton() const { return beenden_; }

  private:
    QLabel* fromTo_;
    QLabel* running_;
    QProgressBar* progress_;
    QPushButton* update_;
    QPushButton* beenden_;
    QTimer timer_;
};

}  // namespace oltrex::gui
