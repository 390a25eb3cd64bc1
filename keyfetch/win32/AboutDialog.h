#pragma once
// The About box (dialog 100), opened from the main dialog's system menu.
#include "oltrex/win32ui/Dialog.h"

namespace oltrex::keyfetchwin32 {

class AboutDialog final : public win32ui::Dialog {
public:
    void showModal(HWND owner);

private:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;
};

}  // namespace oltrex::keyfetchwin32
