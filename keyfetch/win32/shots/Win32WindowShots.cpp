// Pictures of KeyFetch's Win32 windows for the documentation: puts the demo
// files on the key the environment names ($OLTREX_KEY; made when there is
// none), runs the main dialog
// against it, drives it like a user and, at each moment worth a picture,
// writes
//   shot <name> <left> <top> <width> <height>
// (the window's place on the screen) and waits for a line on its input, while
// scripts/windows-pictures.sh takes the screen.
//   keyfetch-win32-window-shots CONTAINER-FOLDER
#include <windows.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "KeyFetchDialog.h"
#include "KeyFetchResources.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/TestDriver.h"

using namespace oltrex;
namespace driver = oltrex::win32ui::testdriver;
namespace fs = std::filesystem;

namespace {

bool fail(const char* what) {
    std::cerr << "keyfetch-win32-window-shots: " << what << '\n';
    return false;
}

bool makeDemoKey(const fs::path& adapter) {
    simkey::KeyIdentity id;
    id.firmware = "0110";
    std::string error;
    bool ok = std::filesystem::exists(adapter / "key.ini") || simkey::createKey(adapter, id, &error);
    for (const auto& file : testdata::demoKeyFiles())
        ok = ok && simkey::writeKeyFile(adapter, file.name, file.bytes, &error);
    // Slow reads, so that the picture catches the download under way.
    simkey::KeyFaults slow;
    slow.readDelayMs = 400;
    ok = ok && simkey::setFaults(adapter, slow, &error);
    if (!ok) std::cerr << "keyfetch-win32-window-shots: " << error << '\n';
    return ok;
}

bool pictures(DWORD thread, const std::string& caption) {
    HWND main = driver::waitForWindowOfThread(thread, caption, 10000);
    if (!main || !driver::waitUntil([&] { return driver::enabled(main, IDC_START); }, 20000))
        return fail("the dialog did not read the key");
    if (!driver::announceShot(main, "win32-keyfetch-main")) return false;

    PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = driver::waitForWindowOfThread(thread, "Info über OLTREXKeyFetch", 10000);
    if (!about) return fail("no About box");
    if (!driver::announceShot(about, "win32-keyfetch-about")) return false;
    driver::click(about, IDOK);
    driver::waitUntil([&] { return !IsWindow(about); });

    // The drive chooser of the SD-card import: the prefix's drives are fixed ones.
    driver::click(main, IDC_SDCARD);
    HWND chooser = driver::waitForWindowOfThread(thread, "OLTREX-KeyFetch", 10000);
    if (!chooser) return fail("no drive chooser");
    if (!driver::announceShot(chooser, "win32-keyfetch-drives")) return false;
    driver::click(chooser, IDCANCEL);
    if (!driver::waitUntil([&] { return driver::enabled(main, IDC_START); }, 10000))
        return fail("the import did not end");

    const std::string before = driver::text(main, IDC_COUNTER);
    driver::click(main, IDC_START);
    // A few files in, with the activity bar well on.
    int moves = 0;
    std::string last = before;
    if (!driver::waitUntil([&] {
            const std::string counter = driver::text(main, IDC_COUNTER);
            if (counter != last) ++moves, last = counter;
            return moves >= 3 && driver::visible(main, IDC_ACTIVITY) && driver::progress(main, IDC_ACTIVITY) >= 40;
        }, 60000))
        return fail("the download did not get going");
    if (!driver::announceShot(main, "win32-keyfetch-download")) return false;
    driver::requestClose(main);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: keyfetch-win32-window-shots CONTAINER-FOLDER\n";
        return 2;
    }
    const auto adapter = environmentValue("OLTREX_KEY");
    if (!adapter || !makeDemoKey(pathFromUtf8(*adapter))) {
        fail("no demo key in $OLTREX_KEY");
        return 1;
    }
    win32ui::initCommonControls();
    std::error_code ec;
    const fs::path work = createWorkFolder(ec);
    const fs::path containers = pathFromUtf8(argv[1]);
    fs::create_directories(containers, ec);
    MemorySettings settings;
    settings.set(kTachographSettingsPath, "ContainerPath", utf8Of(containers) + "\\");

    KeyFetchWindowSetup setup;
    setup.settings = &settings;
    setup.workFolder = work;
    setup.pollerTickMs = 300;
    setup.animatorTickMs = 60;
    DWORD thread = 0;
    std::string caption;
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread ui([&] {
        keyfetchwin32::KeyFetchDialog dialog(setup);
        thread = GetCurrentThreadId();
        caption = dialog.form().caption();
        SetEvent(started);
        dialog.run();
    });
    WaitForSingleObject(started, INFINITE);
    CloseHandle(started);
    const bool ok = pictures(thread, caption);
    if (!ok) {
        HWND main = driver::waitForWindowOfThread(thread, caption, 1000);
        if (main) PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
    }
    ui.join();
    fs::remove_all(work, ec);
    return ok ? 0 : 1;
}
