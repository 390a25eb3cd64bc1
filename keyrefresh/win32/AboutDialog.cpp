#include "AboutDialog.h"

#include "RefreshResources.h"
#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/keyrefresh/window/RefreshForm.h"

namespace oltrex {

void AboutDialog::showModal(HWND owner) {
    runModal(GetModuleHandleW(nullptr), IDD_ABOUTBOX, owner);
}

bool AboutDialog::onInitDialog() {
    setItemText(IDC_ABOUTNAME, aboutNameLine());
    const int makerLines[] = {IDC_MAKER1, IDC_MAKER2, IDC_MAKER3};
    for (int i = 0; i < 3; ++i) setItemText(makerLines[i], refresh::kAboutMakerLines[i]);
    // The program's icon (resource 1 of KeyRefresh.exe); a program without it
    // shows the system's.
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    if (!icon) icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    SendMessageW(item(IDC_ABOUTICON), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    return true;
}

void AboutDialog::onCommand(int id, int) {
    if (id == IDOK || id == IDCANCEL) end(id);
}

}  // namespace oltrex
