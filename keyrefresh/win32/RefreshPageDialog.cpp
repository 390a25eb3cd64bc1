#include "RefreshPageDialog.h"

namespace oltrex {

RefreshPageDialog::RefreshPageDialog(int templateId, Command command, Tick tick)
    : templateId_(templateId), command_(std::move(command)), tick_(std::move(tick)) {}

HWND RefreshPageDialog::create(HWND parent) {
    return createChild(GetModuleHandleW(nullptr), templateId_, parent, templateId_);
}

void RefreshPageDialog::startTimer(unsigned period) {
    if (hwnd()) SetTimer(hwnd(), kTimerId, period, nullptr);
}

void RefreshPageDialog::stopTimer() {
    if (hwnd()) KillTimer(hwnd(), kTimerId);
}

void RefreshPageDialog::onCommand(int id, int notification) {
    if (notification == BN_CLICKED && command_) command_(id);
}

bool RefreshPageDialog::onMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    if (message != WM_TIMER || wParam != kTimerId) return false;
    if (tick_) tick_();
    result = 0;
    return true;
}

}  // namespace oltrex
