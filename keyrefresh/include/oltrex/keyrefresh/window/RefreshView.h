#pragma once
// What KeyRefresh's window logic asks of a view of the main window and its
// three pages (Qt on Linux, Win32 dialogs on Windows). Every call comes on
// the view's thread except postToViewThread. Texts are UTF-8 with "\r\n"
// line ends, as the window system's edit controls and boxes take them.
#include <functional>
#include <string>

#include "oltrex/keyrefresh/PageSequencer.h"

namespace oltrex {

class RefreshView {
  public:
    virtual ~RefreshView() = default;

    // From the update worker: runs `change` later on the view's thread, after
    // what was posted before. A view that is gone drops it.
    virtual void postToViewThread(std::function<void()> change) = 0;

    // The conditions box (OK and Cancel, no icon): true for OK.
    virtual bool askConditions(const std::string& caption, const std::string& text) = 0;
    // A box with the exclamation icon and OK.
    virtual void showExclamation(const std::string& caption, const std::string& text) = 0;

    virtual void setTitle(const std::string& title) = 0;
    // The conditions were accepted: the view makes its pages (hidden), its
    // icon and its About entry.
    virtual void createPages() = 0;
    // Hides the other pages and shows `page` in the top-left corner, active.
    virtual void showPage(RefreshPage page) = 0;
    // Ends the window and with it the program.
    virtual void closeWindow() = 0;

    // Key page: the information field, "Weiter", the hidden "FW" button.
    virtual void showKeyInfo(const std::string& text) = 0;
    virtual void showWeiter(bool shown) = 0;
    virtual void showFirmwareButton(bool shown) = 0;

    // Update page: "Update" and "Beenden", the from-to line, the busy bar and
    // its timer, which calls RefreshForm::busyTick every kBusyTickMs.
    virtual void enableUpdateButtons(bool enabled) = 0;
    virtual void showFromTo(const std::string& text) = 0;
    virtual void showProgress(int position) = 0;
    virtual void startBusyTimer() = 0;
    virtual void stopBusyTimer() = 0;

    // Finished page: the result field.
    virtual void showResult(const std::string& text) = 0;
};

}  // namespace oltrex
