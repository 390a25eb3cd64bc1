#pragma once
// FwFlasher's main form: the key's serial number and firmware, the version of
// the carried image, "Update" and "Ende", the progress bar, the status line
// and, with "/d" on the command line, the protocol memo. A transfer runs on a
// worker thread (BackgroundUpgrade): the form keeps repainting itself and can
// be moved, its controls are off, and what the transfer shows reaches the
// widgets through queued calls on the form's thread.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "oltrex/device/ComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/fwflasher/BackgroundUpgrade.h"
#include "oltrex/fwflasher/FlasherFlow.h"
#include "oltrex/fwflasher/FlasherPrompts.h"
#include "oltrex/fwflasher/FlasherWindow.h"
#include "oltrex/fwflasher/Userdownloadunit.h"
#include "oltrex/platform/Clock.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace oltrex::fwflasher {

class TFormInfo;

// The picture frame: reacts to a click.
class PictureFrame : public QWidget {
    Q_OBJECT
public:
    PictureFrame(const QPixmap& picture, QWidget* parent);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool pressed_ = false;
};

// What the form works with; the program passes the linked libraries, tests
// their own.
struct FlasherServices {
    KeyLibrary* keys = nullptr;
    ComPort* port = nullptr;  // sends one byte per write call
    Clock* clock = nullptr;
    FlasherPrompts* prompts = nullptr;
    FirmwareImage image;
    std::string imageLabel;  // " FW-0114"
    std::uint32_t bootLoaderStartMs = 1000;
    ComTaskLimits limits;
};

class TForm2 : public QWidget, public FlasherWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 366;
    static constexpr int kClientHeight = 397;
    // Height without the memo: the window ends below the status line.
    static constexpr int kShortHeight = 190;

    TForm2(const FlasherServices& services, TFormInfo& info, bool debugView,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // The handlers of the form and its controls.
    void FormShow();
    void ButtonUpgradeClick();
    void ButtonCancelClick();
    void Image1Click();

    bool debugView() const { return debugView_; }
    const FlasherFlow& flow() const { return *flow_; }
    // A transfer runs.
    bool transferRunning() const { return upgrade_->running(); }

    // FlasherWindow
    void addMemoLine(std::string_view text) override;
    void showStatus(std::string_view text, BgrColour colour) override;
    void showProgress(int percent) override;
    void showStickSerial(const std::string& text) override;
    void showStickFirmware(const std::string& text) override;
    void showNewFirmware(const std::string& text) override;
    void showInfoKeyId(const std::string& text) override;
    void repaintForm() override;
    void enableControls(bool enabled) override;
    void showInfoForm() override;

    QLabel* Label1 = nullptr;
    QLabel* LabelStickSnr = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LabelStickFw = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* LabelFw = nullptr;
    PictureFrame* Image1 = nullptr;
    QPushButton* ButtonUpgrade = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QProgressBar* ProgressBarDownload = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

signals:
    // The user chose to stop: the program ends.
    void programEndRequested();
    // A transfer ended; the form shows its outcome and its controls are on.
    void transferEnded(int result);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void endProgram();
    void upgradeEnded();
    // Runs `change` on the form's thread: at once there, queued from a worker.
    void onFormThread(std::function<void()> change);

    TFormInfo& info_;
    bool debugView_ = false;
    bool formShowDone_ = false;
    std::unique_ptr<Userdownloadunit> transfer_;
    std::unique_ptr<FlasherFlow> flow_;
    // Last, so that it ends (waiting for a running transfer) before the others.
    std::unique_ptr<BackgroundUpgrade> upgrade_;
};

}  // namespace oltrex::fwflasher
