#pragma once
// KeyRefresh's About box: program icon, name and firmware version, maker.
#include "oltrex/win32ui/Dialog.h"

namespace oltrex {

class AboutDialog final : public win32ui::Dialog {
  public:
    // Modal over `owner`; returns when it was closed.
    void showModal(HWND owner);

  private:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;
};

}  // namespace oltrex
