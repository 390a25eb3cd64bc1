// KeyFetch's main dialog as a Win32 dialog, driven through its messages: the
// template's controls in their places, a whole download of a demo key on the
// simulated keylink.dll with the controls following, the drive chooser of the
// SD-card import, the About box from the system menu, and closing the window
// while a download runs; and KeyFetch.exe itself.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <set>
#include <string>
#include <thread>

#include "../keyfetch/KeyFetchFakes.h"
#include "KeyFetchDialog.h"
#include "KeyFetchResources.h"
#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/keyfetch/window/DriveChooserList.h"
#include "oltrex/keyfetch/window/MainDialogTemplate.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/TestDriver.h"
#include "oltrex/win32ui/Utf8Text.h"
#include "support/Win32ProgramRun.h"

namespace fs = std::filesystem;
namespace driver = oltrex::win32ui::testdriver;
using namespace oltrex;
using oltrex::keyfetchwin32::KeyFetchDialog;

namespace {

const std::string kCaption = std::string("OLTREX-KeyFetch [") + OLTREX_PROJECT_VERSION + "]";

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) files.push_back(it->path());
    return files;
}

// A window procedure's calling convention, which a lambda lacks on 32-bit Windows.
BOOL CALLBACK closeIfVisible(HWND window, LPARAM) {
    if (IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// What the dialog's form knew when the dialog had ended, taken on its thread.
struct Ended {
    bool workersRunning = true;
    RunSummary run;
    std::optional<SdImportResult> import;
};

// The main dialog on a thread of its own, as the program runs it; ended by
// "Exit" or, at the end of a test, by its close box.
class DialogRun {
public:
    explicit DialogRun(KeyFetchWindowSetup setup) {
        std::promise<DWORD> threadId;
        auto started = threadId.get_future();
        thread_ = std::thread([this, setup, &threadId] {
            KeyFetchDialog dialog(setup);
            dialog_ = &dialog;
            threadId.set_value(GetCurrentThreadId());
            dialog.run();
            ended_.workersRunning = dialog.form().workersRunning();
            ended_.run = dialog.form().session().lastRun();
            ended_.import = dialog.form().lastImport();
            dialog_ = nullptr;
            done_ = true;
        });
        threadId_ = started.get();
        hwnd_ = driver::waitForWindowOfThread(threadId_, kCaption);
    }
    ~DialogRun() {
        // Every window of the dialog's thread is closed, boxes a failed test left open first.
        for (int round = 0; round < 20 && !done_; ++round) {
            EnumThreadWindows(threadId_, &closeIfVisible, 0);
            waitForEnd(500);
        }
        thread_.join();
    }

    HWND hwnd() const { return hwnd_; }
    DWORD threadId() const { return threadId_; }
    bool waitForEnd(int ms = 10000) const { return driver::waitUntil([this] { return done_.load(); }, ms); }
    const Ended& ended() const { return ended_; }
    // The session while the dialog runs; its state is guarded for other threads.
    KeySession& session() { return dialog_.load()->form().session(); }
    const ActivityAnimation& activity() { return dialog_.load()->form().activity(); }

private:
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND hwnd_ = nullptr;
    std::atomic<KeyFetchDialog*> dialog_{nullptr};
    std::atomic<bool> done_{false};
    Ended ended_;
};

class KeyFetchDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { win32ui::initCommonControls(); }

    void SetUp() override {
        adapter = root / "adapter";
        containers = root / "containers";
        work = root / "work";
        fs::create_directories(containers);
        fs::create_directories(work);
        ::setenv("OLTREX_KEY", adapter.c_str(), 1);
        settings.set(kTachographSettingsPath, "ContainerPath", containers.string() + "\\");
    }
    void TearDown() override { ::unsetenv("OLTREX_KEY"); }

    // A demo key in the adapter.
    void plugDemoKey(const simkey::KeyFaults& faults = {}) {
        simkey::KeyIdentity id;
        id.firmware = "0110";
        std::string error;
        ASSERT_TRUE(simkey::createKey(adapter, id, &error)) << error;
        for (const auto& file : testdata::demoKeyFiles())
            ASSERT_TRUE(simkey::writeKeyFile(adapter, file.name, file.bytes, &error)) << error;
        if (faults.readDelayMs) {
            ASSERT_TRUE(simkey::setFaults(adapter, faults, &error)) << error;
        }
    }

    KeyFetchWindowSetup setup() {
        KeyFetchWindowSetup s;
        s.settings = &settings;
        s.workFolder = work;
        s.pollerTickMs = 20;
        s.animatorTickMs = 10;
        return s;
    }

    // Every container in the folder reads back whole.
    void expectCompleteContainers(std::size_t count) {
        const auto files = filesIn(containers);
        EXPECT_EQ(files.size(), count);
        for (const fs::path& file : files) {
            const auto read = dlc::readContainerFile(file);
            EXPECT_TRUE(read.ok()) << file.filename().string() << ": " << read.message;
        }
    }

    kftest::TempFolder root;
    fs::path adapter, containers, work;
    MemorySettings settings;
};

TEST_F(KeyFetchDialogTest, TheTemplatesControlsStandInTheirPlacesWithTheirTextsAndTheFirstStates) {
    settings.set(kKeySettingsPath, "MakeEU", "1");
    DialogRun run(setup());
    HWND dialog = run.hwnd();
    ASSERT_NE(dialog, nullptr) << "no window captioned " << kCaption;

    RECT size{0, 0, kMainDialogWidthDu, kMainDialogHeightDu};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(driver::clientSize(dialog).cx, size.right);
    EXPECT_EQ(driver::clientSize(dialog).cy, size.bottom);
    for (const ControlTemplate& c : mainDialogTemplate()) {
        const std::string name = c.objectName;
        if (name.rfind("IDC_", 0) != 0) continue;
        const int id = std::stoi(name.substr(4));
        // The dialog manager maps the place and the size each on its own.
        RECT expected{c.rect.x, c.rect.y, c.rect.w, c.rect.h};
        MapDialogRect(dialog, &expected);
        expected.right += expected.left;
        expected.bottom += expected.top;
        const RECT r = driver::placeOf(dialog, id);
        EXPECT_EQ(r.left, expected.left) << name;
        EXPECT_EQ(r.top, expected.top) << name;
        EXPECT_EQ(r.right, expected.right) << name;
        EXPECT_EQ(r.bottom, expected.bottom) << name;
        // The session's texts replace those of the statics 1002-1006.
        if (c.kind != ControlKind::ProgressBar && (id < IDC_STATUS || id > IDC_GENERATIONS)) {
            EXPECT_EQ(driver::text(dialog, id), c.text) << name;
        }
    }

    // No key: nothing to start, the SD-card import open, the check box as MakeEU says.
    ASSERT_TRUE(driver::waitUntil([&] { return driver::text(dialog, IDC_FIRMWARE) == "..."; }));
    EXPECT_EQ(driver::text(dialog, IDC_COUNTER), "...");
    EXPECT_FALSE(driver::enabled(dialog, IDC_START));
    EXPECT_TRUE(driver::enabled(dialog, IDC_SDCARD));
    EXPECT_FALSE(driver::visible(dialog, IDC_ACTIVITY));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MAKEEU), BST_CHECKED);
    EXPECT_EQ(driver::progress(dialog, IDC_PROGRESS), 0);

    // "Exit" ends the dialog with both workers.
    ASSERT_TRUE(driver::click(dialog, IDC_EXIT));
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_FALSE(run.ended().workersRunning);
}

TEST_F(KeyFetchDialogTest, StartDownloadsEveryFileIntoCompleteContainersAndTheControlsFollow) {
    plugDemoKey();
    DialogRun run(setup());
    HWND dialog = run.hwnd();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::enabled(dialog, IDC_START); }, 20000));
    EXPECT_EQ(driver::text(dialog, IDC_COUNTER), "12 / 12");
    EXPECT_EQ(driver::text(dialog, IDC_FIRMWARE), run.session().view().display.firmware);
    EXPECT_NE(driver::text(dialog, IDC_KEYNUMBER), "...");

    std::set<std::string> counters;
    bool activityShown = false, sdCardOff = false;
    ASSERT_TRUE(driver::click(dialog, IDC_START));
    ASSERT_TRUE(driver::waitUntil([&] {
        counters.insert(driver::text(dialog, IDC_COUNTER));
        activityShown = activityShown || driver::visible(dialog, IDC_ACTIVITY);
        sdCardOff = sdCardOff || !driver::enabled(dialog, IDC_SDCARD);
        return driver::text(dialog, IDC_COUNTER) == "0 / 0";
    }, 60000));
    EXPECT_GE(counters.size(), 3u) << "the counter moved while the files were downloaded";
    EXPECT_TRUE(activityShown);
    EXPECT_TRUE(sdCardOff) << "no SD-card import while a download files";
    ASSERT_TRUE(driver::waitUntil([&] { return !driver::visible(dialog, IDC_ACTIVITY); }));
    EXPECT_FALSE(driver::enabled(dialog, IDC_START)) << "nothing left to download";
    EXPECT_TRUE(driver::enabled(dialog, IDC_SDCARD));
    ASSERT_TRUE(driver::waitUntil(
        [&] { return driver::text(dialog, IDC_STATUS) == run.session().view().display.status; }));

    driver::requestClose(dialog);
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_TRUE(run.ended().run.allFiled());
    expectCompleteContainers(12);
}

TEST_F(KeyFetchDialogTest, ClosingDuringADownloadFinishesTheFileUnderWayAndLeavesTheRestOnTheKey) {
    simkey::KeyFaults slow;
    slow.readDelayMs = 150;
    plugDemoKey(slow);
    DialogRun run(setup());
    HWND dialog = run.hwnd();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::enabled(dialog, IDC_START); }, 20000));
    ASSERT_TRUE(driver::click(dialog, IDC_START));
    // The second file's read is under way.
    ASSERT_TRUE(driver::waitUntil([&] {
        const int step = run.activity().step();
        return run.session().lastRun().files.size() == 1 && step >= ActivityAnimation::kReadStarted &&
               step <= ActivityAnimation::kLastStep;
    }, 30000));

    driver::requestClose(dialog);  // the close box
    ASSERT_TRUE(run.waitForEnd(30000));
    const Ended& ended = run.ended();
    EXPECT_FALSE(ended.workersRunning);
    ASSERT_EQ(ended.run.files.size(), 2u) << "the file being read was finished";
    for (const auto& file : ended.run.files) EXPECT_TRUE(file.filed());
    EXPECT_FALSE(ended.run.finished);
    // Nothing runs on after the window closed.
    Sleep(300);
    expectCompleteContainers(2);
    EXPECT_EQ(simkey::listKeyFiles(adapter).size(), 12u) << "10 tachograph files and the key's 2 own files stay";
}

TEST_F(KeyFetchDialogTest, TheDriveChooserListsTheDrivesSortedAndAbbrechenEndsTheImportSilently) {
    DialogRun run(setup());
    HWND dialog = run.hwnd();
    ASSERT_NE(dialog, nullptr);
    // The Wine prefix's drives are fixed ones: the import asks for a drive.
    ASSERT_TRUE(driver::click(dialog, IDC_SDCARD));
    HWND chooser = driver::waitForWindowOfThread(run.threadId(), "OLTREX-KeyFetch");
    ASSERT_NE(chooser, nullptr);
    EXPECT_FALSE(driver::enabled(dialog, IDC_START));
    EXPECT_FALSE(driver::enabled(dialog, IDC_SDCARD)) << "one import at a time";

    const DriveChooserList expected{DriveSources{}};
    HWND combo = GetDlgItem(chooser, IDC_DRIVELIST);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    ASSERT_EQ(count, static_cast<int>(expected.entries().size()));
    ASSERT_GT(count, 0);
    std::set<std::string> shown, listed;
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        shown.insert(win32ui::utf8(text));
        listed.insert(expected.entries()[static_cast<std::size_t>(i)].text);
    }
    EXPECT_EQ(shown, listed);
    EXPECT_EQ(win32ui::windowText(combo), expected.entries().front().text) << "the first drive is selected";
    EXPECT_EQ(driver::text(chooser, IDOK), "OK");
    EXPECT_EQ(driver::text(chooser, IDCANCEL), "Abbrechen");

    ASSERT_TRUE(driver::click(chooser, IDCANCEL));
    ASSERT_TRUE(driver::waitUntil([&] { return driver::enabled(dialog, IDC_SDCARD); }));
    driver::requestClose(dialog);
    ASSERT_TRUE(run.waitForEnd());
    ASSERT_TRUE(run.ended().import.has_value());
    EXPECT_TRUE(run.ended().import->cancelled);
    EXPECT_FALSE(run.ended().import->message.has_value()) << "no message after Abbrechen";
}

TEST_F(KeyFetchDialogTest, TheSystemMenuOpensTheAboutBox) {
    DialogRun run(setup());
    HWND dialog = run.hwnd();
    ASSERT_NE(dialog, nullptr);
    HMENU menu = GetSystemMenu(dialog, FALSE);
    const int last = GetMenuItemCount(menu) - 1;
    ASSERT_GT(last, 0);
    EXPECT_EQ(GetMenuItemID(menu, last), static_cast<UINT>(IDM_ABOUTBOX));
    wchar_t entry[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(last), entry, 128, MF_BYPOSITION);
    EXPECT_EQ(win32ui::utf8(entry), "Inf&o über OLTREXKeyFetch...");
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, static_cast<UINT>(last - 1), TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

    PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = driver::waitForWindowOfThread(run.threadId(), "Info über OLTREXKeyFetch");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(driver::text(about, IDC_ABOUTVERSION), "OLTREXKeyFetch Version 1.0");
    EXPECT_EQ(driver::text(about, IDOK), "OK");
    EXPECT_NE(SendMessageW(GetDlgItem(about, IDC_ABOUTICON), STM_GETICON, 0, 0), 0) << "the program icon";
    ASSERT_TRUE(driver::click(about, IDOK));
    EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(about); }));
}

TEST_F(KeyFetchDialogTest, TheProgramShowsTheDialogWithItsVersionAndExitEndsIt) {
    const auto bin = oltrex::environmentValue("OLTREX_BIN");
    ASSERT_TRUE(bin) << "OLTREX_BIN names the build's programs";
    const std::wstring exe = (fs::path(*bin) / "KeyFetch.exe").wstring();

    const auto version = oltrex::testing::fileVersion(exe);
    ASSERT_TRUE(version);
    std::string text;
    for (unsigned part : *version) text += (text.empty() ? "" : ".") + std::to_string(part);
    EXPECT_EQ(text, OLTREX_PROJECT_VERSION) << "the title's version is the module's";

    // Without --headless the program shows the main dialog; "Exit" ends it.
    const oltrex::testing::CancelledRun run = oltrex::testing::runCancellingFirstBox(exe, kCaption.c_str());
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.cancelText, "Exit");
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
