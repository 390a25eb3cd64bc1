#pragma once
// KeyRefresh's main window as a Win32 dialog with its three pages as child
// dialogs. What it does is RefreshForm's; here only the controls: Enter and
// Escape through the hidden OK and Abbrechen, the About entry of the system
// menu, the busy bar on the update page's 10 ms timer, and the worker's
// hand-over through work posted to the dialog's thread.
#include <memory>
#include <string>

#include "AboutDialog.h"
#include "RefreshPageDialog.h"
#include "oltrex/keyrefresh/window/RefreshForm.h"
#include "oltrex/win32ui/Dialog.h"

namespace oltrex {

class KeyRefreshDialog final : public win32ui::Dialog, public RefreshView {
  public:
    explicit KeyRefreshDialog(const RefreshServices& services);
    ~KeyRefreshDialog() override;

    // Runs the window until it is closed (on this thread, which becomes the
    // window's thread).
    void run();

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

  private:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void onDestroy() override;
    void addAboutEntry();

    RefreshServices services_;
    RefreshPageDialog keyPage_;
    RefreshPageDialog updatePage_;
    RefreshPageDialog finishedPage_;
    AboutDialog about_;
    std::unique_ptr<RefreshForm> form_;
};

}  // namespace oltrex
