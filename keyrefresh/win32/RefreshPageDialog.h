#pragma once
// One of KeyRefresh's three pages as a Win32 child dialog of the main window.
// It passes its buttons' commands and its timer's ticks on; what they do is
// RefreshForm's.
#include <functional>

#include "oltrex/win32ui/Dialog.h"

namespace oltrex {

class RefreshPageDialog final : public win32ui::Dialog {
  public:
    using Command = std::function<void(int id)>;
    using Tick = std::function<void()>;

    RefreshPageDialog(int templateId, Command command, Tick tick = {});

    // Makes the page (hidden) inside `parent`; its control identifier is its
    // template's.
    HWND create(HWND parent);
    int templateId() const { return templateId_; }
    HWND control(int id) const { return item(id); }
    void setText(int id, std::string_view utf8) { setItemText(id, utf8); }
    void show(int id, bool shown) { showItem(id, shown); }
    void enable(int id, bool enabled) { enableItem(id, enabled); }
    // The timer of `period` ms whose ticks go to Tick.
    void startTimer(unsigned period);
    void stopTimer();

  private:
    static constexpr UINT_PTR kTimerId = 1;

    bool onInitDialog() override { return false; }
    void onCommand(int id, int notification) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    int templateId_;
    Command command_;
    Tick tick_;
};

}  // namespace oltrex
