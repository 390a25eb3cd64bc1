#include "Win32FlasherPrompts.h"

#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/win32ui/MessageBoxes.h"

namespace oltrex::fwflasher {

PromptAnswer Win32FlasherPrompts::ask(PromptKind kind, std::string_view caption, std::string_view text,
                                      PromptButtons buttons) {
    UINT style = buttons == PromptButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    switch (kind) {
        case PromptKind::Question: style |= MB_ICONQUESTION; break;
        case PromptKind::Warning: style |= MB_ICONWARNING; break;
        case PromptKind::Error: style |= MB_ICONERROR; break;
    }
    // Without a set owner: the form that is active on this thread.
    HWND owner = owner_ ? owner_ : GetActiveWindow();
    const int answer = win32ui::centredMessageBox(owner, caption, text, style,
                                                  {kButtonOk, kButtonCancelBox});
    if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    return answer == IDOK ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

}  // namespace oltrex::fwflasher
