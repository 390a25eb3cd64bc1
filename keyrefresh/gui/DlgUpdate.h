#pragma once
// CDlgUpdate: the update page. Starts the update worker on its own thread and
// sweeps the busy bar every 10 ms until the worker has ended.
#include <QTimer>
#include <QWidget>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace oltrex::gui {

class CKeyRefreshDlg;

class CDlgUpdate : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTimerPeriodMs = 10;

    explicit CDlgUpdate(CKeyRefreshDlg* window);
    ~CDlgUpdate() override;

    void OnInitDialog();
    // Prepares the page; with a non-zero flag starts the update.
    void start(int flag);
    void OnOK();
    void OnCancel();
    void setOwner(CKeyRefreshDlg* owner) { owner_ = owner; }
    // Waits for the worker's thread (it has cleared running by then or is about to).
    void joinWorker();

    QProgressBar* progressBar() const { return progress_; }
    QLabel* fromToLabel() const { return fromTo_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* beendenButton() const { return beenden_; }

  private:
    void onTimer();

    CKeyRefreshDlg* window_;
    CKeyRefreshDlg* owner_ = nullptr;
    QLabel* fromTo_;
    QLabel* running_;
    QProgressBar* progress_;
    QPushButton* update_;
    QPushButton* beenden_;
    QTimer timer_;
    std::thread worker_;
};

}  // namespace oltrex::gui
