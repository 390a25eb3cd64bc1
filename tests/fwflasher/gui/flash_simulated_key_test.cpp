// FwFlasher's window against the simulated key and the boot-loader
// simulator on a pseudo-terminal, through the D2XX stand-in: the key is
// flashed with the carried image and reports its version afterwards.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "../FlasherTestSupport.h"
#include "QtTestSupport.h"
#include "TForm2.h"
#include "TFormInfo.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/fwflasher/FlasherPort.h"

using namespace flashertest;

namespace {

class FlashTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("OLTREX_BIN")) GTEST_SKIP() << "OLTREX_BIN is not set (run through CTest)";
    }

    FlasherServices services() {
        FlasherServices s;
        s.keys = &keys;
        s.port = &port;
        s.clock = &clock;
        s.prompts = &prompts;
        s.image = carriedImage();
        s.imageLabel = fwFlasherFirmwareLabel();
        return s;
    }

    // The key's record as the library reports it now ("" while it does not answer).
    std::string keyRecord() {
        char buffer[128] = {};
        return keys.getSerialNumber(buffer) == 0 ? std::string(buffer) : std::string();
    }

    // The simulator stores the image and the new version once the PC has the
    // answer to the reboot command.
    bool keyReports(const std::string& label) {
        return waitFor([&] { return keyRecord().ends_with(label); }, 5000);
    }

    QApplication& app = qtApplication();
    SimulatedKeySetup key;
    NoSleepClock clock;
    CountingKeyLibrary keys;
    oltrex::LinkedD2xxDevice device;
    oltrex::D2xxComPort port{device, flasherPortOptions()};
    ScriptedPrompts prompts;
    TFormInfo info;
};

// The transfer runs on its own thread: waits until the form has taken its end.
bool transferEnds(const TForm2& form) {
    return waitFor([&] { return !form.transferRunning(); }, 30000);
}

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(FlashTest, FlashesAKeyWithFw0110AndTheKeyThenReportsFw0114) {
    key.writeKey("0110");
    prompts = ScriptedPrompts({PromptAnswer::Ok});
    TForm2 form(services(), info, true);
    form.show();
    form.FormShow();
    EXPECT_EQ(form.LabelStickSnr->text(), " OX12345678");
    EXPECT_EQ(form.LabelStickFw->text(), " FW-0110");
    EXPECT_EQ(form.LabelFw->text(), " FW-0114");
    EXPECT_EQ(prompts.shown.size(), 1u) << "no warning for an older key";

    QTest::mouseClick(form.ButtonUpgrade, Qt::LeftButton);
    ASSERT_TRUE(transferEnds(form));

    EXPECT_EQ(keys.initCalls, 1);
    EXPECT_EQ(clock.slept, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(form.Label4->text(), "Datentransfer abgeschlossen");
    EXPECT_EQ(textColour(form.Label4), QColor(0, 0, 255));
    EXPECT_EQ(form.ProgressBarDownload->value(), 99);
    std::vector<std::string> memo = memoLines(form.Memo1);
    ASSERT_FALSE(memo.empty());
    EXPECT_EQ(memo.front(), "Memo1");
    memo.erase(memo.begin());
    EXPECT_TRUE(memoMatches(memo, expectedTransferMemo(31364)));

    ASSERT_TRUE(keyReports(" FW-0114"));
    EXPECT_EQ(key.firmwareInKeyIni(), "0114");
    const auto stored = fileBytes(key.keyFolder() / "firmware.bin");
    ASSERT_EQ(stored.size(), 31364u);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), fwFlasherFirmwareImage()));

    // The key picture reads the key again.
    QTimer::singleShot(0, [&] { info.ButtonBack->click(); });
    QTest::mouseClick(form.Image1, Qt::LeftButton);
    EXPECT_EQ(form.LabelStickFw->text(), " FW-0114");
    EXPECT_EQ(info.SerNbr->text(), "Stick-ID: OX12345678 FW-0114");
}

TEST_F(FlashTest, WarnsAKeyAlreadyAtFw0114AndFlashesItAllTheSame) {
    key.writeKey("0114");
    prompts = ScriptedPrompts({PromptAnswer::Ok, PromptAnswer::Ok});
    TForm2 form(services(), info, false);
    form.show();
    form.FormShow();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text,
              "Warnung: die neue Firmwareversion ist nicht aktueller\nals die derzeitige auf dem OltrexStick!");

    form.ButtonUpgradeClick();
    ASSERT_TRUE(transferEnds(form));
    EXPECT_EQ(form.Label4->text(), "Datentransfer abgeschlossen");
    EXPECT_EQ(form.ProgressBarDownload->value(), 99);
    EXPECT_TRUE(keyReports(" FW-0114"));
    EXPECT_TRUE(fs::exists(key.keyFolder() / "firmware.bin"));
}

TEST_F(FlashTest, WithNoKeyAndAbbrechenTheTransferStartsWithoutTheSwitch) {
    // A key whose boot loader already runs: it does not answer the key library.
    key.writeKey("0110", true);
    ASSERT_TRUE(key.startSimulator());
    prompts = ScriptedPrompts({PromptAnswer::Ok, PromptAnswer::Cancel});
    TForm2 form(services(), info, true);
    form.show();
    form.FormShow();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_TRUE(prompts.shown[1].text.starts_with("Fehler: kein OltrexStick am System angeschlossen!"));
    EXPECT_EQ(form.LabelStickSnr->text(), " ---");

    form.ButtonUpgradeClick();
    ASSERT_TRUE(transferEnds(form));
    EXPECT_EQ(keys.initCalls, 0);
    EXPECT_EQ(clock.slept, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(form.Label4->text(), "Datentransfer abgeschlossen");
    EXPECT_TRUE(keyReports(" FW-0114"));
}

TEST_F(FlashTest, AFailedOpenShowsTheOpenErrorInRedAndUpdateCanBePressedAgain) {
    key.writeKey("0110");
    ::setenv("OLTREX_BOOTSIM_AUTOSTART", "0", 1);  // no simulator, so no serial line
    prompts = ScriptedPrompts({PromptAnswer::Ok});
    TForm2 form(services(), info, true);
    form.show();
    form.FormShow();

    form.ButtonUpgradeClick();
    ASSERT_TRUE(transferEnds(form));
    EXPECT_EQ(keys.initCalls, 1);
    EXPECT_EQ(form.Label4->text(), QString::fromUtf8("Fehler beim Öffnen von COMx"));
    EXPECT_EQ(textColour(form.Label4), QColor(255, 0, 0));
    EXPECT_EQ(form.ProgressBarDownload->value(), 0);
    EXPECT_TRUE(form.ButtonUpgrade->isEnabled());

    // Now the key's boot loader is there (started by hand): "Update" again.
    ASSERT_TRUE(key.startSimulator());
    form.ButtonUpgradeClick();
    ASSERT_TRUE(transferEnds(form));
    EXPECT_EQ(form.Label4->text(), "Datentransfer abgeschlossen");
    EXPECT_EQ(textColour(form.Label4), QColor(0, 0, 255));
    EXPECT_TRUE(keyReports(" FW-0114"));
}

}  // namespace
