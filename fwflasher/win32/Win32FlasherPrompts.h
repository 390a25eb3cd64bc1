#pragma once
// FwFlasher's message boxes as Win32 message boxes with "OK" and
// "Abbrechen", centred on the main form when it is visible, else on the screen.
#include <windows.h>

#include "oltrex/fwflasher/FlasherPrompts.h"

namespace oltrex::fwflasher {

class Win32FlasherPrompts final : public FlasherPrompts {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    PromptAnswer ask(PromptKind kind, std::string_view caption, std::string_view text,
                     PromptButtons buttons) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace oltrex::fwflasher
