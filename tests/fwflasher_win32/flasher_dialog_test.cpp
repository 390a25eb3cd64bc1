// FwFlasher's main form as a Win32 dialog, driven through its messages: the
// controls at the start, the short window without "/d", a flash of the boot-
// loader simulator through a COM port with the controls off meanwhile and the
// close box refused, the memo's protocol lines, and the real message boxes.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "../fwflasher/FlasherTestSupport.h"
#include "FlasherResources.h"
#include "TForm2Dialog.h"
#include "TFormInfoDialog.h"
#include "Win32FlasherPrompts.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/fwflasher/FlasherPort.h"
#include "oltrex/fwflasher/FormGeometry.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/TestDriver.h"
#include "support/BootSimulatorProcess.h"
#include "support/Win32ProgramRun.h"

using namespace flashertest;
namespace fs = std::filesystem;
namespace driver = oltrex::win32ui::testdriver;

namespace {

constexpr const char* kCaption = "OLTREX-Key-Refresh";

// The main form on a thread of its own, as the program runs it; ended by its
// own buttons or, at the end of a test, by its close box.
class DialogRun {
public:
    DialogRun(const FlasherServices& services, bool debugView) {
        std::promise<DWORD> threadId;
        auto started = threadId.get_future();
        thread_ = std::thread([this, services, debugView, &threadId] {
            threadId.set_value(GetCurrentThreadId());
            TFormInfoDialog info;
            TForm2Dialog form(services, info, debugView);
            form.run();
            result_ = form.lastTransferResult();
            ended_ = true;
        });
        threadId_ = started.get();
        hwnd_ = driver::waitForWindowOfThread(threadId_, kCaption);
    }
    ~DialogRun() {
        if (!ended_ && hwnd_) driver::requestClose(hwnd_);
        thread_.join();
    }

    HWND hwnd() const { return hwnd_; }
    DWORD threadId() const { return threadId_; }
    bool ended() const { return ended_; }
    bool waitForEnd(int ms = 5000) const { return driver::waitUntil([this] { return ended_.load(); }, ms); }
    int lastTransferResult() const { return result_; }

private:
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND hwnd_ = nullptr;
    std::atomic<bool> ended_{false};
    std::atomic<int> result_{0};
};

class FlasherDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { oltrex::win32ui::initCommonControls(); }

    FlasherServices services(KeyLibrary& keys, ComPort& port, FlasherPrompts& boxes) {
        FlasherServices s;
        s.keys = &keys;
        s.port = &port;
        s.clock = &systemClock();
        s.prompts = &boxes;
        s.image = carriedImage();
        s.imageLabel = fwFlasherFirmwareLabel();
        return s;
    }

    StepClock stepClock;
    BootLoaderPort idlePort{stepClock};
    SetKeyLibrary setKeys;
    ScriptedPrompts prompts{{PromptAnswer::Ok}};
};

void expectPlace(HWND dialog, int id, oltrex::fwflasher::PixelRect expected) {
    const RECT r = driver::placeOf(dialog, id);
    EXPECT_EQ(r.left, expected.left) << id;
    EXPECT_EQ(r.top, expected.top) << id;
    EXPECT_EQ(r.right - r.left, expected.width) << id;
    EXPECT_EQ(r.bottom - r.top, expected.height) << id;
}

TEST_F(FlasherDialog, StartsWithTheKeyReadTheControlsInTheirPlacesAndNoMemoWithoutSlashD) {
    DialogRun run(services(setKeys, idlePort, prompts), false);
    HWND form = run.hwnd();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::text(form, IDC_LABELFW) == " FW-0114"; }));
    EXPECT_EQ(driver::caption(form), "OLTREX-Key-Refresh");
    EXPECT_EQ(driver::text(form, IDC_LABEL1), "OltrexStick Seriennummer:");
    EXPECT_EQ(driver::text(form, IDC_LABELSTICKSNR), " OX12345678");
    EXPECT_EQ(driver::text(form, IDC_LABELSTICKFW), " FW-0110");
    EXPECT_EQ(driver::text(form, IDC_LABEL4), "---");
    EXPECT_EQ(driver::text(form, IDC_BUTTONUPGRADE), "Update");
    EXPECT_EQ(driver::text(form, IDC_BUTTONCANCEL), "Ende");
    EXPECT_TRUE(driver::enabled(form, IDC_BUTTONUPGRADE));
    EXPECT_TRUE(driver::enabled(form, IDC_BUTTONCANCEL));
    EXPECT_TRUE(driver::closeBoxEnabled(form));
    EXPECT_EQ(driver::progress(form, IDC_PROGRESSBARDOWNLOAD), 0);
    EXPECT_EQ(prompts.shown.size(), 1u) << "only the conditions for an older key";

    using namespace oltrex::fwflasher::mainform;
    EXPECT_FALSE(driver::visible(form, IDC_MEMO1));
    EXPECT_EQ(driver::clientSize(form).cx, kClientWidth);
    EXPECT_EQ(driver::clientSize(form).cy, kShortHeight);
    expectPlace(form, IDC_BUTTONUPGRADE, kButtonUpgrade);
    expectPlace(form, IDC_BUTTONCANCEL, kButtonCancel);
    expectPlace(form, IDC_PROGRESSBARDOWNLOAD, kProgressBar);
    expectPlace(form, IDC_IMAGE1, kImage1);
    const RECT status = driver::placeOf(form, IDC_LABEL4);
    EXPECT_GE(status.left, kLabel4.left);
    EXPECT_GE(status.left, driver::placeOf(form, IDC_LABEL5).right + kLabelGap);
    EXPECT_LE(status.bottom, kShortHeight) << "the status line stays inside the short window";

    // "Ende" closes the form and so ends the program.
    ASSERT_TRUE(driver::click(form, IDC_BUTTONCANCEL));
    EXPECT_TRUE(run.waitForEnd());
}

TEST_F(FlasherDialog, TheRealBoxesAskForTheConditionsAndAbbrechenEndsTheProgram) {
    oltrex::fwflasher::Win32FlasherPrompts boxes;
    DialogRun run(services(setKeys, idlePort, boxes), true);
    HWND box = driver::waitForWindowOfThread(run.threadId(), "Wichtige Bedingungen:");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::text(box, IDOK), "OK");
    EXPECT_EQ(driver::text(box, IDCANCEL), "Abbrechen");
    // The box stands in the middle of the form.
    RECT boxPlace{}, formPlace{};
    GetWindowRect(box, &boxPlace);
    GetWindowRect(run.hwnd(), &formPlace);
    EXPECT_LE(std::abs((boxPlace.left + boxPlace.right) - (formPlace.left + formPlace.right)), 4);
    EXPECT_LE(std::abs((boxPlace.top + boxPlace.bottom) - (formPlace.top + formPlace.bottom)), 4)
        << boxPlace.left << ',' << boxPlace.top << ',' << boxPlace.right << ',' << boxPlace.bottom << " in "
        << formPlace.left << ',' << formPlace.top << ',' << formPlace.right << ',' << formPlace.bottom;
    ASSERT_TRUE(driver::click(box, IDCANCEL));
    EXPECT_TRUE(run.waitForEnd());
    EXPECT_EQ(setKeys.serialCalls, 0) << "declined before the key is read";
}

// The key with its boot loader behind a COM port of the Wine prefix.
class FlashThroughComPort : public FlasherDialog {
protected:
    void SetUp() override {
        if (!simulator.available()) GTEST_SKIP() << "no oltrex-bootsim to run";
        std::string pattern = (fs::temp_directory_path() / "fwflasher-win32-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = fs::path(pattern);
        fs::create_directories(root_ / "key" / "files");
        std::ofstream(root_ / "key" / "key.ini")
            << "[key]\nseries=OX\nnumber=0012345678\nfirmware=0110\nbootloader=0\n";
        setEnvironmentValue("OLTREX_KEY", utf8Of(root_ / "key"));
        setEnvironmentValue("OLTREX_FTDI_PORT", simulator.port());
        setEnvironmentValue("OLTREX_BOOTSIM", oltrex::testing::BootSimulatorProcess::program());
        setEnvironmentValue("OLTREX_BOOTSIM_ARGS", "--idle-timeout 20");
        setEnvironmentValue("OLTREX_BOOTSIM_AUTOSTART", std::nullopt);
    }
    void TearDown() override {
        for (const char* name : {"OLTREX_KEY", "OLTREX_FTDI_PORT", "OLTREX_BOOTSIM", "OLTREX_BOOTSIM_ARGS"}) {
            setEnvironmentValue(name, std::nullopt);
        }
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }
    std::string keyIni() {
        std::ifstream in(root_ / "key" / "key.ini");
        return {std::istreambuf_iterator<char>(in), {}};
    }

    oltrex::testing::BootSimulatorProcess simulator{fs::temp_directory_path()};
    fs::path root_;
    oltrex::LinkedD2xxDevice device;
    oltrex::D2xxComPort port{device, flasherPortOptions()};
};

TEST_F(FlashThroughComPort, FlashesTheKeyWithTheControlsOffMeanwhileAndTheMemoShowsTheProtocol) {
    DialogRun run(services(keyLibrary(), port, prompts), true);
    HWND form = run.hwnd();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::text(form, IDC_LABELSTICKFW) == " FW-0110"; }));
    EXPECT_TRUE(driver::visible(form, IDC_MEMO1));
    EXPECT_EQ(driver::clientSize(form).cy, oltrex::fwflasher::mainform::kClientHeight);
    EXPECT_EQ(driver::text(form, IDC_MEMO1), "Memo1");

    ASSERT_TRUE(driver::click(form, IDC_BUTTONUPGRADE));
    // While it runs: the form answers, its controls and close box are off,
    // and closing it is refused.
    ASSERT_TRUE(driver::waitUntil([&] { return driver::text(form, IDC_LABEL4) == "Datentransfer läuft"; }, 10000));
    EXPECT_EQ(driver::staticTextColour(form, IDC_LABEL4), RGB(0, 128, 0));
    EXPECT_FALSE(driver::enabled(form, IDC_BUTTONUPGRADE));
    EXPECT_FALSE(driver::enabled(form, IDC_BUTTONCANCEL));
    EXPECT_FALSE(driver::enabled(form, IDC_IMAGE1));
    EXPECT_FALSE(driver::closeBoxEnabled(form));
    EXPECT_FALSE(driver::click(form, IDC_BUTTONCANCEL));
    driver::requestClose(form);
    EXPECT_TRUE(driver::waitUntil([&] { return driver::progress(form, IDC_PROGRESSBARDOWNLOAD) > 0; }, 10000));
    EXPECT_FALSE(run.ended()) << "closing is refused during a transfer";

    ASSERT_TRUE(driver::waitUntil([&] { return driver::enabled(form, IDC_BUTTONUPGRADE); }, 60000));
    EXPECT_TRUE(driver::waitUntil([&] { return driver::text(form, IDC_LABEL4) == "Datentransfer abgeschlossen"; }))
        << driver::text(form, IDC_LABEL4);
    EXPECT_EQ(driver::staticTextColour(form, IDC_LABEL4), RGB(0, 0, 255));
    EXPECT_EQ(driver::progress(form, IDC_PROGRESSBARDOWNLOAD), 99);
    EXPECT_TRUE(driver::closeBoxEnabled(form));
    // Every protocol line in its order, after the memo's first line.
    std::vector<std::string> memo;
    const std::string text = driver::text(form, IDC_MEMO1);
    for (std::size_t at = 0, next; at <= text.size(); at = next + 2) {
        next = text.find("\r\n", at);
        if (next == std::string::npos) next = text.size();
        memo.push_back(text.substr(at, next - at));
    }
    ASSERT_FALSE(memo.empty());
    EXPECT_EQ(memo.front(), "Memo1");
    memo.erase(memo.begin());
    EXPECT_TRUE(memoMatches(memo, expectedTransferMemo(31364)));

    // Now the close box ends the program, and the transfer's worker is gone.
    driver::requestClose(form);
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_EQ(run.lastTransferResult(), 1);
    EXPECT_TRUE(driver::waitUntil([&] { return keyIni().find("firmware=0114") != std::string::npos; }));
}

// The program itself: without --headless it opens its window, whose first
// box declined ends it with exit code 0; it carries its module version.
TEST(FlasherProgram, StartsItsWindowWithoutHeadlessAndCarriesItsVersion) {
    const auto bin = environmentValue("OLTREX_BIN");
    if (!bin) GTEST_SKIP() << "OLTREX_BIN is not set (run through CTest)";
    const std::wstring exe = (fs::path(*bin) / "FwFlasher.exe").wstring();

    const auto version = oltrex::testing::fileVersion(exe);
    ASSERT_TRUE(version);
    EXPECT_EQ(*version, (std::vector<unsigned>{OLTREX_VERSION_MAJOR, OLTREX_VERSION_MINOR,
                                               OLTREX_VERSION_PATCH, OLTREX_VERSION_TWEAK}));

    const oltrex::testing::CancelledRun run = oltrex::testing::runCancellingFirstBox(exe, "Wichtige Bedingungen:");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.cancelText, "Abbrechen");
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
