#include "AboutDialog.h"

#include "KeyFetchResources.h"

namespace oltrex::keyfetchwin32 {

void AboutDialog::showModal(HWND owner) { runModal(GetModuleHandleW(nullptr), IDD_ABOUTBOX, owner); }

bool AboutDialog::onInitDialog() {
    // The program icon (resource 1) when the program carries one.
    if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)))
        SendMessageW(item(IDC_ABOUTICON), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    return true;
}

void AboutDialog::onCommand(int id, int) {
    // "OK", Enter, Escape and the close box.
    if (id == IDOK || id == IDCANCEL) end(id);
}

}  // namespace oltrex::keyfetchwin32
