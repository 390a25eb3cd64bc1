// The SD-card button of the main dialog: the import on the dialog's thread,
// the drive chooser when no removable drive is present, and the closing
// message box with its texts and icons. The card files come from the key
// tool's "sdcard" command.
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>

#include <fstream>
#include <sstream>

#include "../sdimport/PlainKeyNames.h"
#include "GuiTestKit.h"
#include "KeyTool.h"
#include "oltrex/keyfetch/gui/DlgDrives.h"

using namespace guitest;
using namespace oltrex;

namespace {

struct SeenMessage {
    bool shown = false;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool owned = true;
};

class SdImportDialog : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cipherLibraryPath())) GTEST_SKIP() << "libhime.so not built at " << cipherLibraryPath();
        dlg = std::make_unique<CKeyFetchDlg>(bench.setup(false));
        dlg->show();
    }
    void TearDown() override { dlg.reset(); }

    fs::path removableCard(std::vector<std::string> names) {
        bench.drives.addDisk("sdb", true, {"sdb1"});
        const fs::path card = bench.drives.mount("/dev/sdb1", "funke", "vfat");
        if (!names.empty()) writeCardFiles(card, std::move(names));
        return card;
    }
    static void writeCardFiles(const fs::path& folder, std::vector<std::string> names) {
        names.insert(names.begin(), {"sdcard", folder.string()});
        std::ostringstream out, err;
        ASSERT_EQ(keytool::runKeyTool(names, out, err), 0) << err.str();
    }
    // Answers the closing message box, remembering what it showed.
    void expectMessage(SeenMessage& seen) {
        answerNextModal([&seen](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box) return;
            seen.shown = true;
            seen.caption = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.owned = box->parentWidget() != nullptr;
            box->button(QMessageBox::Ok)->click();
        }, dlg.get());
    }
    void clickSd() { dlg->findChild<QPushButton*>("IDC_4")->click(); }

    Bench bench;
    std::unique_ptr<CKeyFetchDlg> dlg;
};

}  // namespace

TEST_F(SdImportDialog, ImportsTheThreeCardFilesOfTheRemovableDriveAndSaysSo) {
    const fs::path card = removableCard({"a.dlb", "b.1.dlb", "c.2.dlb"});
    std::ofstream(card / "AB.DLB.BAK") << "backup";
    SeenMessage seen;
    expectMessage(seen);
    clickSd();

    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "OLTREX-KeyFetch");
    EXPECT_EQ(seen.text, "Es wurden 3 Container erfolgreich erstellt.");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_FALSE(seen.owned) << "the message box has no owner";
    ASSERT_TRUE(dlg->lastImport().has_value());
    EXPECT_EQ(dlg->lastImport()->found, 3);
    EXPECT_EQ(dlg->lastImport()->containers(), 3);
    EXPECT_EQ(filesIn(bench.containers).size(), 3u);
    EXPECT_TRUE(dlg->findChild<QPushButton*>("IDC_4")->isEnabled());
}

TEST_F(SdImportDialog, WithoutARemovableDriveTheChooserListsTheDrivesAndAbbrechenEndsSilently) {
    const std::string data = bench.drives.mount("/dev/sda1", "data", "ext4");
    const std::string home = bench.drives.mount("/dev/sda2", "home", "ext4");
    writeCardFiles(data, {"a.dlb"});
    QStringList listed;
    int messages = 0;
    answerNextModal([&](QWidget* w) {
        auto* chooser = qobject_cast<CDlgDrives*>(w);
        ASSERT_NE(chooser, nullptr);
        for (int i = 0; i < chooser->comboBox()->count(); ++i) listed << chooser->comboBox()->itemText(i);
        // Anything modal after the chooser would be a message.
        answerNextModal([&](QWidget* next) {
            ++messages;
            if (auto* box = qobject_cast<QMessageBox*>(next)) box->button(QMessageBox::Ok)->click();
        }, dlg.get());
        chooser->findChild<QPushButton*>("IDC_2")->click();
    }, dlg.get());
    clickSd();

    EXPECT_EQ(listed, (QStringList{QString::fromStdString(data), QString::fromStdString(home)}));
    ASSERT_TRUE(dlg->lastImport().has_value());
    EXPECT_TRUE(dlg->lastImport()->cancelled);
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(messages, 0);
    EXPECT_TRUE(filesIn(bench.containers).empty());
}

TEST_F(SdImportDialog, TheDriveChosenInTheChooserIsImported) {
    bench.drives.mount("/dev/sda1", "a-system", "ext4");
    const std::string data = bench.drives.mount("/dev/sda2", "b-data", "ext4");
    writeCardFiles(data, {"x.dlb", "y.2.dlb"});
    SeenMessage seen;
    answerNextModal([&](QWidget* w) {
        auto* chooser = qobject_cast<CDlgDrives*>(w);
        ASSERT_NE(chooser, nullptr);
        chooser->comboBox()->setCurrentIndex(1);
        expectMessage(seen);
        chooser->findChild<QPushButton*>("IDC_1")->click();
    }, dlg.get());
    clickSd();

    EXPECT_EQ(seen.text, "Es wurden 2 Container erfolgreich erstellt.");
    EXPECT_EQ(dlg->lastImport()->usedDrives.at(0).kind, kDriveChosen);
}

// The import runs on the window's thread and handles no events: the chooser
// has to be gone, and the window it covered drawn again, before it starts.
// (That the chooser also leaves an X screen at once is shown by the
// screenshot script, keyfetch/gui/shots/take-screenshots.sh.)
class ImportWatch final : public Clock {
public:
    std::uint32_t tickMs() override { return systemClock().tickMs(); }
    void sleepMs(std::uint32_t ms) override { systemClock().sleepMs(ms); }
    LocalTime localTime() override {
        if (chooserAnswered && !seen) {
            seen = true;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<CDlgDrives*>(w) && w->isVisible()) ++choosersVisible;
            paintsBeforeImport = paints;
        }
        return systemClock().localTime();
    }
    bool chooserAnswered = false;
    bool seen = false;
    int choosersVisible = 0;
    int paints = 0;             // of the main window
    int paintsWhenAnswered = 0;
    int paintsBeforeImport = 0;
};

class PaintCounter final : public QObject {
public:
    explicit PaintCounter(int& count) : count_(count) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count_;
        return false;
    }

private:
    int& count_;
};

TEST_F(SdImportDialog, TheChooserIsGoneAndTheWindowRepaintedBeforeTheImportStarts) {
    ImportWatch watch;
    dlg.reset();
    oltrex::KeyFetchWindowSetup setup = bench.setup(false);
    setup.clock = &watch;
    dlg = std::make_unique<CKeyFetchDlg>(setup);
    PaintCounter counter(watch.paints);
    dlg->installEventFilter(&counter);
    dlg->move(200, 150);
    dlg->show();
    const std::string data = bench.drives.mount("/dev/sda2", "data", "ext4");
    writeCardFiles(data, {"x.dlb"});
    SeenMessage seen;
    QPoint boxCentre;
    answerNextModal([&](QWidget* w) {
        auto* chooser = qobject_cast<CDlgDrives*>(w);
        ASSERT_NE(chooser, nullptr);
        answerNextModal([&](QWidget* next) {
            auto* box = qobject_cast<QMessageBox*>(next);
            if (!box) return;
            seen.shown = true;
            boxCentre = box->frameGeometry().center();
            box->button(QMessageBox::Ok)->click();
        }, dlg.get());
        watch.chooserAnswered = true;
        watch.paintsWhenAnswered = watch.paints;
        chooser->findChild<QPushButton*>("IDC_1")->click();
    }, dlg.get());
    clickSd();

    ASSERT_TRUE(watch.seen) << "the import filed nothing";
    EXPECT_EQ(watch.choosersVisible, 0);
    EXPECT_GT(watch.paintsBeforeImport, watch.paintsWhenAnswered);
    ASSERT_TRUE(seen.shown);
    // The closing message has no owner but stands in the middle of the window.
    EXPECT_LE((boxCentre - dlg->frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(dlg->lastImport()->containers(), 1);
}

TEST_F(SdImportDialog, NothingFoundGivesTheErrorMessage) {
    removableCard({});
    SeenMessage seen;
    expectMessage(seen);
    clickSd();
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "OLTREX-KeyFetch");
    EXPECT_EQ(seen.text, "Es wurden keine verwertbaren Dateien gefunden.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST_F(SdImportDialog, TheImportDeletesNothingFromThePluggedKey) {
    const fs::path key = bench.makeDemoKey("demo");
    const auto before = simkey::listKeyFiles(key);
    bench.plug(key);
    // Card files named exactly like files on the key.
    std::vector<std::string> names;
    for (const auto& f : before)
        if (f.name.rfind("V_", 0) == 0) names.push_back(f.name + ".dlb");
    removableCard(names);
    for (int i = 0; i < 5; ++i) dlg->pollOnce();
    SeenMessage seen;
    expectMessage(seen);
    clickSd();
    EXPECT_EQ(dlg->lastImport()->containers(), static_cast<int>(names.size()));
    EXPECT_EQ(simkey::listKeyFiles(bench.adapter).size(), before.size());
}

TEST_F(SdImportDialog, TheButtonDoesNothingWhileADownloadRuns) {
    bench.plug(bench.makeDemoKey("demo"));
    removableCard({"a.dlb"});
    for (int i = 0; i < 5; ++i) {
        dlg->pollOnce();
        QCoreApplication::sendPostedEvents();
    }
    dlg->findChild<QPushButton*>("IDC_1")->click();
    ASSERT_EQ(dlg->session().state(), SessionState::Write);
    EXPECT_FALSE(dlg->findChild<QPushButton*>("IDC_4")->isEnabled());
    dlg->onSdCard();  // even when reached past the disabled button
    EXPECT_FALSE(dlg->lastImport().has_value());
    EXPECT_TRUE(filesIn(bench.containers).empty());
}

TEST_F(SdImportDialog, TheKeyToolsCardFilesGiveTheNamesOfAPlainKeysDownload) {
    writeCardFiles(removableCard({}), {});  // the whole demo set
    SeenMessage seen;
    expectMessage(seen);
    clickSd();
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "Es wurden 12 Container erfolgreich erstellt.");
    EXPECT_EQ(sdtest::namesWithoutTime(bench.containers), sdtest::plainKeyNamesWithoutTime());
}
