#pragma once
// The info form as a Win32 dialog: the maker's address, a picture, the key ID
// and "zurück". The key ID is kept while the form is not shown.
#include <memory>
#include <string>

#include "oltrex/win32ui/Dialog.h"
#include "oltrex/win32ui/GdiObjects.h"

namespace oltrex::fwflasher {

class TFormInfoDialog final : public win32ui::Dialog {
public:
    TFormInfoDialog();
    ~TFormInfoDialog() override;

    // Modal, owned by `owner`; returns when it was closed.
    void showModal(HWND owner);
    // SerNbr, repainted at once when the form is shown.
    void setKeyIdLine(const std::string& text);
    const std::string& keyIdLine() const { return keyIdLine_; }

private:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    std::string keyIdLine_;
    std::unique_ptr<win32ui::Font> addressFont_;
    std::unique_ptr<win32ui::Font> serNbrFont_;
};

}  // namespace oltrex::fwflasher
