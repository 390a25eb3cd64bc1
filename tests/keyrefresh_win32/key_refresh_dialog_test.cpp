// KeyRefresh's main window and pages as Win32 dialogs, driven through their
// messages: the conditions box, the key page, the update of a key through the
// simulated key library and the boot-loader simulator on a COM port with
// the page's buttons off and closing refused meanwhile, the finished page,
// the About box of the system menu, and the program itself.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <vector>

#include "KeyRefreshDialog.h"
#include "RefreshResources.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/TestDriver.h"
#include "support/BootSimulatorProcess.h"
#include "support/Win32ProgramRun.h"

namespace fs = std::filesystem;
namespace driver = oltrex::win32ui::testdriver;
using namespace oltrex;

namespace {

constexpr const char* kConditionsCaption = "BRENVA-KeyRefresh";
constexpr const char* kWindowCaption = "BRENVA-KeyRefresh [1.20.1.0]";

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The window on a thread of its own, as the program runs it.
class DialogRun {
  public:
    explicit DialogRun(const RefreshServices& services) {
        std::promise<DWORD> threadId;
        auto started = threadId.get_future();
        thread_ = std::thread([this, services, &threadId] {
            threadId.set_value(GetCurrentThreadId());
            KeyRefreshDialog window(services);
            window.run();
            ended_ = true;
        });
        threadId_ = started.get();
    }
    ~DialogRun() {
        // Whatever still stands open: the conditions box, then the window.
        if (HWND box = driver::waitForWindowOfThread(threadId_, kConditionsCaption, 200)) {
            driver::click(box, IDCANCEL);
        }
        if (!ended_) {
            if (HWND window = driver::waitForWindowOfThread(threadId_, kWindowCaption, 200)) {
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
        }
        thread_.join();
    }
    DWORD threadId() const { return threadId_; }
    bool ended() const { return ended_; }
    bool waitForEnd(int ms = 5000) const {
        return driver::waitUntil([this] { return ended_.load(); }, ms);
    }
    // Accepts the conditions; the main window then.
    HWND accept() {
        HWND box = driver::waitForWindowOfThread(threadId_, kConditionsCaption, 10000);
        if (!box || !driver::click(box, IDOK)) return nullptr;
        return driver::waitForWindowOfThread(threadId_, kWindowCaption, 10000);
    }

  private:
    std::thread thread_;
    DWORD threadId_ = 0;
    std::atomic<bool> ended_{false};
};

HWND page(HWND window, int id) { return GetDlgItem(window, id); }

class KeyRefreshDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { win32ui::initCommonControls(); }
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "keyrefresh-win32-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = fs::path(pattern);
        fs::create_directories(root_ / "key" / "files");
        std::ofstream(root_ / "key" / "key.ini")
            << "[key]\nseries=OX\nnumber=0012345678\nfirmware=0110\nbootloader=0\n";
        setEnvironmentValue("OLTREX_KEY", utf8Of(root_ / "key"));
        log_ = std::make_unique<CWLog>(root_ / "OLTREXKeyRefresh.log", systemClock());
    }
    void TearDown() override {
        for (const char* name : {"OLTREX_KEY", "OLTREX_FTDI_PORT", "OLTREX_BOOTSIM", "OLTREX_BOOTSIM_ARGS",
                                 "OLTREX_BOOTSIM_AUTOSTART"}) {
            setEnvironmentValue(name, std::nullopt);
        }
        log_.reset();
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }
    RefreshServices services() {
        RefreshServices s;
        s.keys = &keyLibrary();
        s.clock = &systemClock();
        s.log = log_.get();
        s.worker.keys = &keyLibrary();
        s.worker.port = &port_;
        s.worker.clock = &systemClock();
        s.worker.image = FirmwareImage{keyRefreshFirmwareImage(), keyRefreshFirmwareLength(),
                                       keyRefreshFirmwareDescription()};
        s.worker.logFolder = root_;
        s.newFirmware = keyRefreshFirmwareVersion();
        return s;
    }
    std::string keyIni() const { return readText(root_ / "key" / "key.ini"); }
    std::string logText() const { return readText(root_ / "OLTREXKeyRefresh.log"); }

    fs::path root_;
    std::unique_ptr<CWLog> log_;
    LinkedD2xxDevice device_;
    D2xxComPort port_{device_};
};

TEST_F(KeyRefreshDialogTest, DeclinedConditionsEndTheWindowBeforeAnyKeyAccess) {
    DialogRun run(services());
    HWND box = driver::waitForWindowOfThread(run.threadId(), kConditionsCaption, 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::text(box, IDOK), "OK");
    EXPECT_EQ(driver::text(box, IDCANCEL), "Abbrechen");
    // Before the window is shown the box stands in the middle of the screen.
    RECT place{}, work{};
    GetWindowRect(box, &place);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((place.left + place.right) - (work.left + work.right)), 4);
    ASSERT_TRUE(driver::click(box, IDCANCEL));
    EXPECT_TRUE(run.waitForEnd());
    EXPECT_FALSE(fs::exists(root_ / "OLTREXKeyRefresh.log"));
}

// The key with its boot loader behind a COM port of the Wine prefix.
class UpdateThroughComPort : public KeyRefreshDialogTest {
  protected:
    void SetUp() override {
        if (!simulator.available()) GTEST_SKIP() << "no oltrex-bootsim to run";
        KeyRefreshDialogTest::SetUp();
        setEnvironmentValue("OLTREX_FTDI_PORT", simulator.port());
        setEnvironmentValue("OLTREX_BOOTSIM", oltrex::testing::BootSimulatorProcess::program());
        setEnvironmentValue("OLTREX_BOOTSIM_ARGS", "--idle-timeout 20");
        setEnvironmentValue("OLTREX_BOOTSIM_AUTOSTART", std::nullopt);
    }

    oltrex::testing::BootSimulatorProcess simulator{fs::temp_directory_path()};
};

TEST_F(UpdateThroughComPort, UpdatesTheKeyThroughAllPagesAndNothingBreaksTheUpdateOff) {
    DialogRun run(services());
    HWND window = run.accept();
    ASSERT_NE(window, nullptr);
    HWND keyPage = page(window, IDD_KEYPAGE);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::visible(window, IDD_KEYPAGE); }));
    EXPECT_EQ(driver::text(keyPage, IDC_KEYINFO),
              "Firmware Key ist 1.10\r\n\nUpadte der FW zu 1.20\r\n\nAngeschlossener OLTREX-Key ist:\r\n"
              "OX00123456");
    EXPECT_EQ(driver::text(keyPage, IDOK), "Weiter");
    EXPECT_EQ(driver::text(keyPage, IDCANCEL), "Beenden");
    EXPECT_TRUE(driver::enabled(keyPage, IDOK));
    EXPECT_FALSE(driver::visible(keyPage, IDC_FW)) << "the header button stays hidden";
    EXPECT_FALSE(driver::visible(window, IDD_UPDATEPAGE));

    ASSERT_TRUE(driver::click(keyPage, IDOK));
    HWND updatePage = page(window, IDD_UPDATEPAGE);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::visible(window, IDD_UPDATEPAGE); }));
    EXPECT_FALSE(driver::visible(window, IDD_KEYPAGE));
    EXPECT_EQ(driver::text(updatePage, IDC_FROMTO), "von Firmware 1.10 zu 1.20");
    EXPECT_EQ(driver::text(updatePage, IDC_RUNNING), "Update wird durchgeführt...");
    EXPECT_FALSE(driver::enabled(updatePage, IDOK));
    EXPECT_FALSE(driver::enabled(updatePage, IDCANCEL));
    // The busy bar sweeps; the close box, Escape and Enter change nothing.
    EXPECT_TRUE(driver::waitUntil([&] { return driver::progress(updatePage, IDC_PROGRESS) > 5; }));
    driver::requestClose(window);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    Sleep(100);
    EXPECT_FALSE(run.ended()) << "closing is refused during the update";
    EXPECT_TRUE(driver::visible(window, IDD_UPDATEPAGE));

    HWND finishedPage = page(window, IDD_FINISHEDPAGE);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::visible(window, IDD_FINISHEDPAGE); }, 90000));
    EXPECT_FALSE(driver::visible(window, IDD_UPDATEPAGE));
    const std::string result = driver::text(finishedPage, IDC_RESULT);
    EXPECT_NE(result.find("Das Update V:1.20 wurde für den OLTREX-Key mit der\r\nSeriennummer: OX00123456"),
              std::string::npos)
        << result;
    EXPECT_NE(result.find("erfolgreich durchgeführt."), std::string::npos) << result;
    EXPECT_EQ(driver::text(finishedPage, IDOK), "Fertig");
    EXPECT_TRUE(driver::waitUntil([&] { return keyIni().find("firmware=0120") != std::string::npos; }))
        << keyIni();

    // The About box of the system menu.
    PostMessageW(window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = driver::waitForWindowOfThread(run.threadId(), "Wichtig");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(driver::text(about, IDC_ABOUTNAME), "OLTREX-KeyRefresh 1.20");
    ASSERT_TRUE(driver::click(about, IDOK));
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(about); }));

    ASSERT_TRUE(driver::click(finishedPage, IDCANCEL));
    ASSERT_TRUE(run.waitForEnd());
    const std::string log = logText();
    EXPECT_NE(log.find("] Start Update Key: OX00123456 FW: 1.10 -> 1.20\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] Update erfolgreich. ( Key: OX00123456 ) \r\n"), std::string::npos) << log;
    EXPECT_TRUE(log.ends_with("] Programm Ende\r\n")) << log;
}

TEST_F(KeyRefreshDialogTest, AnUpdateWithoutBootLoaderFailsAndFertigGoesBackToTheKeyPage) {
    // No simulator behind the port: the key switches, the port does not open.
    setEnvironmentValue("OLTREX_FTDI_PORT", "COM250");
    setEnvironmentValue("OLTREX_BOOTSIM_AUTOSTART", "0");
    DialogRun run(services());
    HWND window = run.accept();
    ASSERT_NE(window, nullptr);
    HWND keyPage = page(window, IDD_KEYPAGE);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::visible(window, IDD_KEYPAGE); }));
    const std::string keyText = driver::text(keyPage, IDC_KEYINFO);
    ASSERT_TRUE(driver::click(keyPage, IDOK));
    HWND finishedPage = page(window, IDD_FINISHEDPAGE);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::visible(window, IDD_FINISHEDPAGE); }, 90000));
    const std::string result = driver::text(finishedPage, IDC_RESULT);
    EXPECT_NE(result.find("OX00123456"), std::string::npos) << result;
    EXPECT_EQ(result.find("erfolgreich durchgeführt."), std::string::npos) << result;
    EXPECT_NE(logText().find("] Update konnten nicht erfolgen ( Key: OX00123456 )\r\n"), std::string::npos)
        << "the log tells that the key was not updated";

    ASSERT_TRUE(driver::click(finishedPage, IDOK));
    ASSERT_TRUE(driver::waitUntil([&] { return driver::visible(window, IDD_KEYPAGE); }));
    EXPECT_EQ(driver::text(keyPage, IDC_KEYINFO), keyText);
    EXPECT_TRUE(logText().ends_with("] \r\n")) << "an empty entry after a failed update";
    // Escape on the key page is its "Beenden".
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(run.waitForEnd());
}

// The program itself: without --headless it opens its window, whose conditions
// declined end it with exit code 0; it carries its module version.
TEST(KeyRefreshProgram, StartsItsWindowWithoutHeadlessAndCarriesItsVersion) {
    const auto bin = environmentValue("OLTREX_BIN");
    if (!bin) GTEST_SKIP() << "OLTREX_BIN is not set (run through CTest)";
    const std::wstring exe = (fs::path(*bin) / "KeyRefresh.exe").wstring();

    EXPECT_EQ(oltrex::testing::fileVersion(exe), (std::vector<unsigned>{5, 22, 1, 0}));

    const auto run = oltrex::testing::runCancellingFirstBox(exe, kConditionsCaption);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.cancelText, "Abbrechen");
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
