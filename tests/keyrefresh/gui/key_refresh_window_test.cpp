// KeyRefresh's window driven like a user would, against fakes and against the
// simulated key and boot loader (offscreen; message boxes answered by the test).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "AbsentPort.h"
#include "AboutDlg.h"
#include "DlgFinished.h"
#include "DlgLogin.h"
#include "DlgUpdate.h"
#include "FakeKeys.h"
#include "KeyRefreshDlg.h"
#include "ProgramIcon.h"
#include "RefreshPrompts.h"
#include "SimulatedKey.h"

namespace oltrex {
namespace {

using gui::CKeyRefreshDlg;
using test::AbsentPort;
using test::FakeClock;
using test::FakeKeys;
using test::readText;
using test::ScratchFolder;
using test::SimulatedKey;

class ScriptedPrompts final : public gui::RefreshPrompts {
  public:
    bool acceptConditions(QWidget*, const QString& caption, const QString& text) override {
        conditionsCaption = caption;
        conditionsText = text;
        ++conditionsShown;
        return accept;
    }
    void exclamation(QWidget*, const QString& caption, const QString& text) override {
        boxes.push_back(caption + "|" + text);
    }

    bool accept = true;
    int conditionsShown = 0;
    QString conditionsCaption, conditionsText;
    std::vector<QString> boxes;
};

// Sleeps of a second or more wait until the test opens the gate: the update
// worker then stays in its boot-loader wait as long as the test needs.
class GateClock final : public Clock {
  public:
    std::uint32_t tickMs() override { return systemClock().tickMs(); }
    void sleepMs(std::uint32_t ms) override {
        if (ms < 1000) return systemClock().sleepMs(std::min<std::uint32_t>(ms, 10));
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }
    LocalTime localTime() override { return systemClock().localTime(); }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

bool waitFor(const std::function<bool()>& condition, int ms = 20000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void press(QWidget* target, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
}

class KeyRefreshWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "key_refresh_window_test";
        static char* argv[] = {name, nullptr};
        // Kept to the end of the process: Qt must outlive every static of its own.
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
    void TearDown() override {
        gate.open();
        window.reset();
    }

    CKeyRefreshDlg& open(KeyLibrary& keys, Clock& clock, const UpdateWorkerSetup& worker,
                         gui::RefreshPrompts* boxes = nullptr) {
        gui::RefreshWindowParts parts;
        parts.keys = &keys;
        parts.clock = &clock;
        parts.log = &log;
        parts.prompts = boxes ? boxes : &prompts;
        parts.worker = worker;
        parts.newFirmware = "1.20";
        window = std::make_unique<CKeyRefreshDlg>(parts);
        if (!boxes) window->show();
        return *window;
    }
    // With Qt's own boxes, not shown yet: as the program starts it.
    void withRealBoxes(FakeKeys& keys, gui::RefreshPrompts& boxes) {
        open(keys, logClock, failingWorker(keys), &boxes);
    }
    std::string logText() const { return readText(scratch / "OLTREXKeyRefresh.log"); }
    UpdateWorkerSetup failingWorker(FakeKeys& keys) {
        UpdateWorkerSetup worker;
        worker.keys = &keys;
        worker.port = &absentPort;
        worker.clock = &gate;
        worker.logFolder = scratch.path();
        return worker;
    }

    ScratchFolder scratch;
    FakeClock logClock;
    CWLog log{scratch / "OLTREXKeyRefresh.log", logClock};
    ScriptedPrompts prompts;
    GateClock gate;
    AbsentPort absentPort;
    std::unique_ptr<CKeyRefreshDlg> window;
};

TEST_F(KeyRefreshWindowTest, AKeyOnFirmware110IsUpdatedTo120) {
    SimulatedKey key(scratch, "0110");
    CKeyRefreshDlg& dlg = open(key.keys(), key.clock(), key.workerSetup());
    ASSERT_TRUE(dlg.OnInitDialog());

    EXPECT_EQ(dlg.windowTitle(), "BRENVA-KeyRefresh [1.20.1.0]");
    EXPECT_EQ(prompts.conditionsCaption, "BRENVA-KeyRefresh");
    EXPECT_TRUE(prompts.conditionsText.startsWith("Wichtige Bedingungen:\n\nSehr geehrter Kunde,"));
    EXPECT_TRUE(prompts.conditionsText.endsWith("<OK>\nAbbruch mit: <Abbrechen>"));
    EXPECT_EQ(dlg.pageIndex(), 0);
    EXPECT_TRUE(dlg.keyPage()->isVisible());
    EXPECT_EQ(dlg.keyPage()->infoField()->toPlainText(),
              "Firmware Key ist 1.10\nUpadte der FW zu 1.20\nAngeschlossener OLTREX-Key ist:\n"
              "OX00123456");
    EXPECT_FALSE(dlg.keyPage()->firmwareButton()->isVisible());
    EXPECT_TRUE(prompts.boxes.empty());

    dlg.keyPage()->weiterButton()->click();
    EXPECT_EQ(dlg.pageIndex(), 1);
    EXPECT_TRUE(dlg.updatePage()->isVisible());
    EXPECT_EQ(dlg.updatePage()->fromToLabel()->text(), "von Firmware 1.10 zu 1.20");
    EXPECT_FALSE(dlg.updatePage()->updateButton()->isEnabled());
    EXPECT_FALSE(dlg.updatePage()->beendenButton()->isEnabled());

    ASSERT_TRUE(waitFor([&] { return dlg.pageIndex() == 2; }));
    EXPECT_TRUE(dlg.finishedPage()->isVisible());
    EXPECT_EQ(dlg.session().outcome(), 1);
    const QString result = dlg.finishedPage()->resultField()->toPlainText();
    EXPECT_TRUE(QRegularExpression("^Datum:\\d\\d\\.\\d\\d\\.\\d{4}, Zeit:\\d\\d:\\d\\d:\\d\\d\n"
                                   "Das Update V:1\\.20 wurde für den OLTREX-Key mit der\n"
                                   "Seriennummer: OX00123456 \n"
                                   "erfolgreich durchgeführt\\.$")
                    .match(result)
                    .hasMatch())
        << result.toStdString();
    EXPECT_NE(key.infoTextWhenSettled().find("FW-0120"), std::string::npos);

    dlg.finishedPage()->beendenButton()->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(logText(),
              "[2024.03.05_14.07.09.042] Start Update Key: OX00123456 FW: 1.10 -> 1.20\r\n"
              "[2024.03.05_14.07.09.042] Update erfolgreich. ( Key: OX00123456 ) \r\n"
              "[2024.03.05_14.07.09.042] Programm Ende\r\n");
}

TEST_F(KeyRefreshWindowTest, DeclinedConditionsEndTheProgramBeforeAnyKeyAccess) {
    FakeKeys keys;
    prompts.accept = false;
    CKeyRefreshDlg& dlg = open(keys, logClock, failingWorker(keys));
    EXPECT_FALSE(dlg.OnInitDialog());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(keys.calls(), 0);
    EXPECT_EQ(dlg.keyPage(), nullptr);
    EXPECT_FALSE(fs::exists(scratch / "OLTREXKeyRefresh.log"));
}

TEST_F(KeyRefreshWindowTest, AKeyReportingFirmware250IsRefusedAndWeiterHidden) {
    FakeKeys keys;
    keys.infoTexts = {" StickID: OX0012345678 FW-0250"};
    CKeyRefreshDlg& dlg = open(keys, logClock, failingWorker(keys));
    ASSERT_TRUE(dlg.OnInitDialog());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0], "UPDATE|Ungültiger Key\nUpdate ist nicht möglich.");
    EXPECT_TRUE(dlg.keyPage()->weiterButton()->isHidden());
    EXPECT_TRUE(dlg.keyPage()->beendenButton()->isVisible());
    EXPECT_TRUE(dlg.keyPage()->infoField()->toPlainText().startsWith("Firmware Key ist 2.50"));
    press(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.pageIndex(), 0) << "Enter has no hidden button to press";
}

TEST_F(KeyRefreshWindowTest, AKeyExchangedBeforeWeiterIsRefused) {
    FakeKeys keys;
    keys.infoTexts = {" StickID: OX0012345678 FW-0110", " StickID: OX0087654321 FW-0110"};
    CKeyRefreshDlg& dlg = open(keys, logClock, failingWorker(keys));
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.keyPage()->weiterButton()->click();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0], "UPDATE|Der Key wurde gewechselt!\nUpdate ist nicht möglich.");
    EXPECT_EQ(dlg.pageIndex(), 0);
    EXPECT_TRUE(dlg.keyPage()->isVisible());
    EXPECT_FALSE(fs::exists(scratch / "OLTREXKeyRefresh.log"));
}

TEST_F(KeyRefreshWindowTest, WhileTheUpdateRunsEnterEscapeAndClosingHaveNoEffect) {
    FakeKeys keys;
    CKeyRefreshDlg& dlg = open(keys, logClock, failingWorker(keys));
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.keyPage()->weiterButton()->click();
    ASSERT_EQ(dlg.pageIndex(), 1);
    // The worker waits for the boot loader until the gate opens.
    ASSERT_TRUE(waitFor([&] { return dlg.updatePage()->progressBar()->value() > 5; }));

    press(&dlg, Qt::Key_Return);
    press(&dlg, Qt::Key_Escape);
    press(dlg.updatePage(), Qt::Key_Escape);
    dlg.close();
    dlg.reject();
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.pageIndex(), 1);
    EXPECT_TRUE(dlg.session().active());

    gate.open();
    ASSERT_TRUE(waitFor([&] { return dlg.pageIndex() == 2; }));
    EXPECT_EQ(dlg.session().outcome(), -1);
    const QString result = dlg.finishedPage()->resultField()->toPlainText();
    EXPECT_TRUE(result.contains("fehlgeschlagen")) << result.toStdString();
    EXPECT_TRUE(result.contains("Seriennummer: OX00123456")) << result.toStdString();

    // "Fertig" after a failed update: an empty entry, then the key page again,
    // unchanged from the first identification.
    const QString keyText = dlg.keyPage()->infoField()->toPlainText();
    dlg.finishedPage()->fertigButton()->click();
    EXPECT_EQ(dlg.pageIndex(), 0);
    EXPECT_EQ(dlg.keyPage()->infoField()->toPlainText(), keyText);
    EXPECT_EQ(logText(),
              "[2024.03.05_14.07.09.042] Start Update Key: OX00123456 FW: 1.10 -> 1.20\r\n"
              "[2024.03.05_14.07.09.042] Update konnten nicht erfolgen ( Key: OX00123456 )\r\n"
              "[2024.03.05_14.07.09.042] \r\n");
}

TEST_F(KeyRefreshWindowTest, ABootLoaderThatFallsSilentEndsInTheFailureText) {
    SimulatedKey key(scratch, "0110", "--silent-from 3");
    CKeyRefreshDlg& dlg = open(key.keys(), key.clock(), key.workerSetup(100));
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.keyPage()->weiterButton()->click();
    ASSERT_TRUE(waitFor([&] { return dlg.pageIndex() == 2; }));
    EXPECT_EQ(dlg.session().outcome(), -1);
    EXPECT_TRUE(dlg.finishedPage()->resultField()->toPlainText().contains("OX00123456"));
    EXPECT_NE(logText().find("] Update konnten nicht erfolgen ( Key: OX00123456 )\r\n"),
              std::string::npos);
    press(&dlg, Qt::Key_Escape);  // "Beenden" of the finished page
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(
        logText().ends_with("] Update konnten nicht erfolgen ( Key: OX00123456 )\r\n"
                            "[2024.03.05_14.07.09.042] \r\n"));
}

TEST_F(KeyRefreshWindowTest, TheHiddenFirmwareButtonRunsTheHeaderPathAndLogsIt) {
    const fs::path folder = scratch / "KeyRefresh2" / "1.20";
    fs::create_directories(folder);
    fs::copy_file(OLTREX_KEYREFRESH_FIRMWARE_DIR "/FW_Update.a79", folder / "FW_Update.a79");
    fs::copy_file(OLTREX_KEYREFRESH_FIRMWARE_DIR "/fw_version.h", folder / "fw_version.h");
    setenv("OLTREX_FW_DIR", folder.c_str(), 1);
    FakeKeys keys;
    CKeyRefreshDlg& dlg = open(keys, logClock, failingWorker(keys));
    ASSERT_TRUE(dlg.OnInitDialog());
    EXPECT_TRUE(dlg.keyPage()->firmwareButton()->isHidden());
    dlg.keyPage()->firmwareButton()->click();
    unsetenv("OLTREX_FW_DIR");
    EXPECT_EQ(logText(), "[2024.03.05_14.07.09.042] Make FW 120\r\n");
    EXPECT_TRUE(fs::exists(scratch / "KeyRefresh2" / "fw120.h"));
}

TEST_F(KeyRefreshWindowTest, TheAboutBoxNamesProgramAndFirmwareVersion) {
    gui::CAboutDlg about(gui::programIcon());
    EXPECT_EQ(about.windowTitle(), "Wichtig");
    EXPECT_EQ(about.nameLabel()->text(), "OLTREX-KeyRefresh 1.20");
}

// What a real message box showed: its buttons, and where it stood.
struct ShownBox {
    QString text;
    QStringList buttons;
    QPoint centre;
};

// Answers the next `count` message boxes with their first button (OK),
// recording each; the boxes are Qt's own (QtRefreshPrompts).
void answerBoxes(std::vector<ShownBox>& shown, std::size_t count) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, &shown, count] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        ShownBox seen{box->text(), {}, box->frameGeometry().center()};
        for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
        shown.push_back(seen);
        box->button(QMessageBox::Ok)->click();
        if (shown.size() >= count) poll->deleteLater();
    });
    poll->start(5);
}

QPoint screenCentre() { return QGuiApplication::primaryScreen()->availableGeometry().center(); }

// The boxes before the window is shown stand in the middle of the screen, not
// in its top-left corner; their buttons speak German.
TEST_F(KeyRefreshWindowTest, TheBoxesBeforeTheWindowIsShownStandInTheMiddleOfTheScreen) {
    FakeKeys keys;
    keys.infoTexts = {" StickID: OX0012345678 FW-0250"};
    gui::QtRefreshPrompts boxes;
    withRealBoxes(keys, boxes);
    std::vector<ShownBox> shown;
    answerBoxes(shown, 2);
    ASSERT_TRUE(window->OnInitDialog());  // as the program runs it: before the window is shown
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].text.startsWith("Wichtige Bedingungen:"));
    EXPECT_EQ(shown[0].buttons, (QStringList{"OK", "Abbrechen"}));
    EXPECT_EQ(shown[1].text, QString::fromUtf8("Ungültiger Key\nUpdate ist nicht möglich."));
    EXPECT_EQ(shown[1].buttons, QStringList{"OK"});
    for (const ShownBox& box : shown) EXPECT_LE((box.centre - screenCentre()).manhattanLength(), 2);
}

TEST_F(KeyRefreshWindowTest, ABoxOverTheShownWindowStandsInItsMiddle) {
    FakeKeys keys;
    keys.infoTexts = {" StickID: OX0012345678 FW-0110", " StickID: OX0087654321 FW-0110"};
    gui::QtRefreshPrompts boxes;
    withRealBoxes(keys, boxes);
    std::vector<ShownBox> shown;
    answerBoxes(shown, 1);
    ASSERT_TRUE(window->OnInitDialog());
    window->move(40, 30);
    window->show();
    answerBoxes(shown, 2);
    window->keyPage()->weiterButton()->click();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "Der Key wurde gewechselt!\nUpdate ist nicht möglich.");
    EXPECT_LE((shown[1].centre - window->frameGeometry().center()).manhattanLength(), 2);
}

}  // namespace
}  // namespace oltrex
