#pragma once
// FwFlasher's main form as a Win32 dialog. What it does is FlasherForm's;
// here only the controls: placed in pixels at WM_INITDIALOG, the memo hidden
// and the window cut below the status line without "/d", the status colour
// through WM_CTLCOLORSTATIC, and the transfer's updates run on the dialog's
// thread through posted work.
#include <memory>
#include <string>

#include "oltrex/fwflasher/FlasherForm.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/win32ui/Dialog.h"

namespace oltrex::fwflasher {

class TFormInfoDialog;

class TForm2Dialog final : public win32ui::Dialog, public FlasherView {
public:
    TForm2Dialog(const FlasherServices& services, TFormInfoDialog& info, bool debugView);
    ~TForm2Dialog() override;

    // Runs the form until it is closed (on this thread, which becomes the
    // form's thread).
    void run();

    bool debugView() const { return debugView_; }
    // While run() runs; for tests, on the dialog's thread.
    FlasherForm* form() { return form_.get(); }
    // The last transfer's result (1, -1), 0 before any.
    int lastTransferResult() const { return lastResult_; }

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

private:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void onDestroy() override;
    void setLabel(int id, const std::string& text);

    FlasherServices services_;
    TFormInfoDialog& info_;
    bool debugView_;
    BgrColour statusColour_ = kColourBlack;
    int lastResult_ = 0;
    std::unique_ptr<FlasherForm> form_;
};

}  // namespace oltrex::fwflasher
