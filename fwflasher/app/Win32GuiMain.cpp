// The window of the Windows build: the forms as native Win32 dialogs.
#include <exception>

#include "GuiMain.h"
#include "ProgramParts.h"
#include "TForm2Dialog.h"
#include "TFormInfoDialog.h"
#include "Win32FlasherPrompts.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/platform/Console.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/MessageBoxes.h"

namespace oltrex::fwflasher {

int runFlasherWindow(int, char**, bool debugView) {
    releaseOwnConsole();
    win32ui::initCommonControls();
    try {
        ProgramParts parts;
        Win32FlasherPrompts prompts;
        const FlasherServices services = parts.services(prompts);

        // Both forms are made at the start, the info form hidden.
        TFormInfoDialog info;
        TForm2Dialog form(services, info, debugView);
        form.run();
    } catch (const std::exception& e) {
        win32ui::centredMessageBox(nullptr, kApplicationTitle, e.what(), MB_OK | MB_ICONERROR);
    }
    return 0;
}

}  // namespace oltrex::fwflasher
