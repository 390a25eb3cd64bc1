#pragma once
// FwFlasher's main form in Qt: the key's serial number and firmware, the
// version of the carried image, "Update" and "Ende", the progress bar, the
// status line and, with "/d" on the command line, the protocol memo. What it
// does is FlasherForm's; here only the widgets, and the queued calls by which
// the transfer's worker reaches them on the form's thread.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "oltrex/fwflasher/FlasherForm.h"

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

class TForm2 : public QWidget, public FlasherView {
    Q_OBJECT
public:

    TForm2(const FlasherServices& services, TFormInfo& info, bool debugView,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // The handlers of the form and its controls.
    void FormShow();
    void ButtonUpgradeClick();
    void ButtonCancelClick();
    void Image1Click();

    bool debugView() const { return debugView_; }
    const FlasherFlow& flow() const { return form_->flow(); }
    // A transfer runs.
    bool transferRunning() const { return form_->transferRunning(); }

    // FlasherView
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
    void postToViewThread(std::function<void()> change) override;
    void endProgram() override;
    void closeForm() override;
    void onTransferEnded(int result) override;

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
    TFormInfo& info_;
    bool debugView_ = false;
    std::unique_ptr<FlasherForm> form_;
};

}  // namespace oltrex::fwflasher
