// Pictures of KeyRefresh's Win32 windows for the documentation: runs the
// window against the key the environment names ($OLTREX_KEY,
// $OLTREX_FTDI_PORT), drives it like a user and, at each moment worth a
// picture, writes
//   shot <name> <left> <top> <width> <height>
// (the window's place on the screen) and waits for a line on its input, while
// scripts/windows-pictures.sh takes the screen: the conditions box, the key
// page, the update page while it updates, the finished page, the About box.
#include <iostream>
#include <thread>

#include "KeyRefreshDialog.h"
#include "RefreshResources.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/TestDriver.h"

using namespace oltrex;
namespace driver = oltrex::win32ui::testdriver;

namespace {

constexpr const char* kWindowCaption = "BRENVA-KeyRefresh [1.20.1.0]";

bool fail(const char* what) {
    std::cerr << "keyrefresh-win32-window-shots: " << what << '\n';
    return false;
}

bool pictures(DWORD thread) {
    HWND box = driver::waitForWindowOfThread(thread, refresh::kConditionsCaption, 10000);
    if (!box) return fail("no conditions box");
    if (!driver::announceShot(box, "win32-keyrefresh-conditions")) return false;
    driver::click(box, IDOK);
    HWND window = driver::waitForWindowOfThread(thread, kWindowCaption, 10000);
    if (!window || !driver::waitUntil([&] { return driver::visible(window, IDD_KEYPAGE); }, 10000)) {
        return fail("no key page");
    }
    if (!driver::announceShot(window, "win32-keyrefresh-key-page")) return false;

    PostMessageW(window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = driver::waitForWindowOfThread(thread, refresh::kAboutCaption, 10000);
    if (!about) return fail("no About box");
    if (!driver::announceShot(about, "win32-keyrefresh-about")) return false;
    driver::click(about, IDOK);
    driver::waitUntil([&] { return !IsWindow(about); });

    driver::click(GetDlgItem(window, IDD_KEYPAGE), IDOK);
    HWND updatePage = GetDlgItem(window, IDD_UPDATEPAGE);
    if (!driver::waitUntil([&] { return driver::progress(updatePage, IDC_PROGRESS) >= 40; }, 20000)) {
        return fail("the update did not get going");
    }
    if (!driver::announceShot(window, "win32-keyrefresh-update-page")) return false;
    if (!driver::waitUntil([&] { return driver::visible(window, IDD_FINISHEDPAGE); }, 120000)) {
        return fail("the update did not end");
    }
    if (!driver::announceShot(window, "win32-keyrefresh-finished-page")) return false;
    driver::click(GetDlgItem(window, IDD_FINISHEDPAGE), IDCANCEL);
    return true;
}

}  // namespace

int main() {
    win32ui::initCommonControls();
    LinkedD2xxDevice device;
    D2xxComPort port(device);
    CWLog log;
    RefreshServices services;
    services.keys = &keyLibrary();
    services.clock = &systemClock();
    services.log = &log;
    services.worker.keys = &keyLibrary();
    services.worker.port = &port;
    services.worker.clock = &systemClock();
    services.worker.image = FirmwareImage{keyRefreshFirmwareImage(), keyRefreshFirmwareLength(),
                                          keyRefreshFirmwareDescription()};
    services.newFirmware = keyRefreshFirmwareVersion();

    DWORD thread = 0;
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread ui([&] {
        thread = GetCurrentThreadId();
        SetEvent(started);
        KeyRefreshDialog window(services);
        window.run();
    });
    WaitForSingleObject(started, INFINITE);
    CloseHandle(started);
    const bool ok = pictures(thread);
    if (!ok) {
        // Whatever stands open ends the window's thread.
        if (HWND box = driver::waitForWindowOfThread(thread, refresh::kConditionsCaption, 500)) {
            driver::click(box, IDCANCEL);
        }
        HWND window = driver::waitForWindowOfThread(thread, kWindowCaption, 1000);
        if (window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
    ui.join();
    return ok ? 0 : 1;
}
