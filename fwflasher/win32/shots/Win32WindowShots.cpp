// Pictures of FwFlasher's Win32 windows for the documentation: runs the forms
// against the key the environment names ($OLTREX_KEY, $OLTREX_FTDI_PORT),
// drives them like a user and, at each moment worth a picture, writes
//   shot <name> <left> <top> <width> <height>
// (the window's place on the screen) and waits for a line on its input, while
// scripts/windows-pictures.sh takes the screen.
//   fwflasher-win32-window-shots        conditions, window, info form
//   fwflasher-win32-window-shots /d     the window with its memo, flashing and after
#include <iostream>
#include <string>
#include <thread>

#include "FlasherResources.h"
#include "TForm2Dialog.h"
#include "TFormInfoDialog.h"
#include "Win32FlasherPrompts.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/fwflasher/CarriedFirmware.h"
#include "oltrex/fwflasher/CommandLine.h"
#include "oltrex/fwflasher/FlasherPort.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/TestDriver.h"

using namespace oltrex;
using namespace oltrex::fwflasher;
namespace driver = oltrex::win32ui::testdriver;

namespace {

bool fail(const char* what) {
    std::cerr << "fwflasher-win32-window-shots: " << what << '\n';
    return false;
}

bool pictures(DWORD thread, bool debugView) {
    HWND box = driver::waitForWindowOfThread(thread, kConditionsCaption, 10000);
    if (!box) return fail("no conditions box");
    if (!debugView && !driver::announceShot(box, "win32-fwflasher-conditions")) return false;
    driver::click(box, IDOK);
    HWND form = driver::waitForWindowOfThread(thread, kMainCaption, 10000);
    if (!form || !driver::waitUntil([&] { return driver::text(form, IDC_LABELFW) == " FW-0114"; }, 10000)) {
        return fail("the form did not read the key");
    }
    if (!debugView) {
        if (!driver::announceShot(form, "win32-fwflasher-window")) return false;
        driver::click(form, IDC_IMAGE1);
        HWND info = driver::waitForWindowOfThread(thread, kInfoCaption, 10000);
        if (!info) return fail("no info form");
        if (!driver::announceShot(info, "win32-fwflasher-info")) return false;
        driver::click(info, IDC_BUTTONBACK);
        driver::waitUntil([&] { return !IsWindowVisible(info); });
        driver::click(form, IDC_BUTTONCANCEL);
        return true;
    }
    driver::click(form, IDC_BUTTONUPGRADE);
    if (!driver::waitUntil([&] { return driver::progress(form, IDC_PROGRESSBARDOWNLOAD) >= 40; }, 60000)) {
        return fail("the transfer did not get going");
    }
    if (!driver::announceShot(form, "win32-fwflasher-flashing")) return false;
    if (!driver::waitUntil([&] { return driver::enabled(form, IDC_BUTTONUPGRADE); }, 60000)) {
        return fail("the transfer did not end");
    }
    if (!driver::announceShot(form, "win32-fwflasher-flashed")) return false;
    driver::requestClose(form);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool debugView = debugViewRequested({argv + (argc > 0 ? 1 : 0), argv + argc});
    win32ui::initCommonControls();
    LinkedD2xxDevice device;
    D2xxComPort port(device, flasherPortOptions());
    Win32FlasherPrompts boxes;
    FlasherServices services;
    services.keys = &keyLibrary();
    services.port = &port;
    services.clock = &systemClock();
    services.prompts = &boxes;
    services.image = {fwFlasherFirmwareImage(), fwFlasherFirmwareLength(), fwFlasherFirmwareTypeCode()};
    services.imageLabel = fwFlasherFirmwareLabel();

    DWORD thread = 0;
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread ui([&] {
        thread = GetCurrentThreadId();
        SetEvent(started);
        TFormInfoDialog info;
        TForm2Dialog form(services, info, debugView);
        form.run();
    });
    WaitForSingleObject(started, INFINITE);
    CloseHandle(started);
    const bool ok = pictures(thread, debugView);
    if (!ok) {
        // Whatever stands open ends the form's thread.
        HWND form = driver::waitForWindowOfThread(thread, kMainCaption, 1000);
        if (form) PostMessageW(form, WM_COMMAND, MAKEWPARAM(IDC_BUTTONCANCEL, BN_CLICKED), 0);
    }
    ui.join();
    return ok ? 0 : 1;
}
