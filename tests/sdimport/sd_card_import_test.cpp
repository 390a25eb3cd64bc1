// The SD-card import end to end: card files in the card's secure form on a
// made-up machine, filed with the real re-encoding, classification,
// container maker and cipher library.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "SdImportKit.h"
#include "oltrex/conversion/ConversionContext.h"

using namespace sdtest;
using namespace oltrex;

namespace {

class SdCardImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cipherLibraryPath())) GTEST_SKIP() << "libhime.so not built at " << cipherLibraryPath();
    }
    void putCardFile(const fs::path& root, const std::string& name, const Bytes& keyForm) {
        writeBytes(root / name, cardSecureForm(name, keyForm));
    }
    ImportBench bench;
    ScriptedChooser chooser;
};

}  // namespace

TEST_F(SdCardImportTest, ImportsExactlyTheThreeCardFilesOfTheRemovableDrive) {
    const fs::path card = bench.card("funke", "sdb");
    putCardFile(card, "a.dlb", vehicleUnitFile({0x7602, 0x7603}, 1));
    putCardFile(card, "b.1.dlb", vehicleUnitFile({0x7612, 0x7613}, 2));
    putCardFile(card, "c.2.dlb", vehicleUnitFile({0x7622, 0x7623}, 3));
    writeBytes(card / "AB.DLB.BAK", cardSecureForm("AB.DLB.BAK", vehicleUnitFile({0x7602}, 4)));

    SdImportResult result = bench.import().run({}, chooser);

    EXPECT_EQ(chooser.asked, 0) << "a removable drive needs no question";
    EXPECT_EQ(result.found, 3);
    ASSERT_EQ(result.files.size(), 3u);
    for (const auto& f : result.files) EXPECT_EQ(f.outcome, SdFileOutcome::Filed) << f.title;
    EXPECT_EQ(result.containers(), 3);
    ASSERT_TRUE(result.message.has_value());
    EXPECT_EQ(result.message->text, "Es wurden 3 Container erfolgreich erstellt.");
    EXPECT_EQ(result.message->icon, MessageIcon::Information);
    EXPECT_EQ(result.message->caption, "OLTREX-KeyFetch");
    EXPECT_EQ(filesIn(bench.containers, ".dlc").size(), 3u);
}

TEST_F(SdCardImportTest, DeletesNothingFromTheKeyEvenForNamesAKeyMightHold) {
    const fs::path card = bench.card("funke", "sdb");
    // Names that look like the key's own files: the key must keep its files.
    putCardFile(card, "V_AB123_623B1A2C.dlb", vehicleUnitFile({0x7602}, 1));
    putCardFile(card, "C_D123456789_623B1A2C.2.dlb", cardKeyFile());

    SdImportResult result = bench.import().run({}, chooser);

    EXPECT_EQ(result.containers(), 2);
    EXPECT_TRUE(bench.key.deleted().empty());
    for (const auto& f : result.files) EXPECT_FALSE(f.filing.deleteCalled) << f.title;
}

TEST_F(SdCardImportTest, LeavesTheCardsFilesAsTheyWere) {
    const fs::path card = bench.card("funke", "sdb");
    putCardFile(card, "a.dlb", vehicleUnitFile({0x7602, 0x7603}));
    const Bytes before = readBytes(card / "a.dlb");

    bench.import().run({}, chooser);

    EXPECT_EQ(readBytes(card / "a.dlb"), before);
    EXPECT_EQ(filesIn(card), std::vector<std::string>{"a.dlb"});
}

TEST_F(SdCardImportTest, CopiesEachCardFileUnderItsKNameWithTheLocalTime) {
    const fs::path card = bench.card("funke", "sdb");
    putCardFile(card, "a.dlb", vehicleUnitFile({0x7602}));

    SdImportResult result = bench.import().run({}, chooser);

    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].localPath, (bench.work / "K_a.dlb_2024-05-06_07-08-09.dlt").string());
    EXPECT_EQ(bench.import().copyName("x.1.dlb", {2023, 12, 1, 2, 3, 4, 0}),
              (bench.work / "K_x.1.dlb_2023-12-01_02-03-04.dlc").string());
    // The container maker cleans its K_ copies away after filing.
    EXPECT_TRUE(filesIn(bench.work, ".dlt").empty());
    EXPECT_TRUE(filesIn(bench.work, ".dlc").empty());
}

TEST_F(SdCardImportTest, SearchesEveryRemovableDriveAndCountsTheirFilesTogether) {
    const fs::path first = bench.card("card1", "sdb");
    const fs::path second = bench.card("card2", "sdc");
    putCardFile(first, "a.dlb", vehicleUnitFile({0x7602}, 1));
    putCardFile(second, "b.2.dlb", vehicleUnitFile({0x7622}, 2));
    putCardFile(second, "c.1.dlb", vehicleUnitFile({0x7612}, 3));

    SdImportResult result = bench.import().run({}, chooser);

    EXPECT_EQ(result.usedDrives.size(), 2u);
    EXPECT_EQ(result.found, 3);
    EXPECT_EQ(result.message->text, "Es wurden 3 Container erfolgreich erstellt.");
}

TEST_F(SdCardImportTest, ACardHoldersFileIsReencodedAsACardAndFiled) {
    putCardFile(bench.card("funke", "sdb"), "C_D123456789_623B1A2C.dlb", cardKeyFile());
    SdImportRequest request;
    request.makeEuFile = true;
    SdImportResult result = bench.import().run(request, chooser);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].outcome, SdFileOutcome::Filed);
    EXPECT_EQ(result.containers(), 1);
}

TEST_F(SdCardImportTest, OneFileGivesTheSingularMessage) {
    putCardFile(bench.card("funke", "sdb"), "only.dlb", vehicleUnitFile({0x7602}));
    EXPECT_EQ(bench.import().run({}, chooser).message->text, "Es wurde 1 Container erfolgreich erstellt.");
}

TEST_F(SdCardImportTest, WithoutARemovableDriveTheChoosersDriveIsUsed) {
    const std::string fixed = bench.drives.mount("/dev/sda1", "data", "ext4");
    bench.drives.mount("tmpfs", "ram", "tmpfs");
    putCardFile(fixed, "a.dlb", vehicleUnitFile({0x7602}));
    chooser.answer = fixed + "/";

    SdImportResult result = bench.import().run({}, chooser);

    EXPECT_EQ(chooser.asked, 1);
    ASSERT_EQ(result.usedDrives.size(), 1u);
    EXPECT_EQ(result.usedDrives[0].name, fixed);
    EXPECT_EQ(result.usedDrives[0].kind, kDriveChosen);
    EXPECT_EQ(result.message->text, "Es wurde 1 Container erfolgreich erstellt.");
}

TEST_F(SdCardImportTest, CancellingTheChooserEndsWithoutAMessage) {
    const std::string fixed = bench.drives.mount("/dev/sda1", "data", "ext4");
    putCardFile(fixed, "a.dlb", vehicleUnitFile({0x7602}));
    chooser.ok = false;

    SdImportResult result = bench.import().run({}, chooser);

    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.message.has_value());
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(filesIn(bench.containers).empty());
}

TEST_F(SdCardImportTest, AChoiceThatIsNoListedDriveFindsNothing) {
    bench.drives.mount("/dev/sda1", "data", "ext4");
    for (std::string answer : {std::string(), std::string("/somewhere/else/")}) {
        chooser.answer = answer;
        SdImportResult result = bench.import().run({}, chooser);
        EXPECT_FALSE(result.cancelled);
        EXPECT_TRUE(result.usedDrives.empty());
        ASSERT_TRUE(result.message.has_value());
        EXPECT_EQ(result.message->text, "Es wurden keine verwertbaren Dateien gefunden.");
        EXPECT_EQ(result.message->icon, MessageIcon::Error);
    }
}

TEST_F(SdCardImportTest, AnEmptyCardGivesTheErrorMessage) {
    const fs::path card = bench.card("funke", "sdb");
    writeBytes(card / "notes.txt", Bytes{1, 2, 3});
    SdImportResult result = bench.import().run({}, chooser);
    EXPECT_EQ(result.found, 0);
    EXPECT_EQ(result.message->text, "Es wurden keine verwertbaren Dateien gefunden.");
    EXPECT_EQ(result.message->icon, MessageIcon::Error);
}

TEST_F(SdCardImportTest, FilesThatGiveNoContainerAreNotReportedAsContainers) {
    const fs::path card = bench.card("funke", "sdb");
    putCardFile(card, "good.dlb", vehicleUnitFile({0x7602}));
    writeBytes(card / "empty.dlb", {});
    writeBytes(card / "header-only.1.dlb", Bytes{'O', 'X', 'S', 'F', 0, 0, 0, 0});
    writeBytes(card / "noise.2.dlb", filler(300, 9));

    SdImportResult result = bench.import().run({}, chooser);

    EXPECT_EQ(result.found, 4);
    EXPECT_EQ(result.containers(), 1);
    EXPECT_EQ(result.message->text, "Es wurde 1 Container erfolgreich erstellt.");
    for (const auto& f : result.files) {
        if (f.title != "good.dlb") {
            EXPECT_NE(f.outcome, SdFileOutcome::Filed) << f.title;
        }
    }
    EXPECT_EQ(filesIn(bench.containers, ".dlc").size(), 1u);
    // What holds data but no tachograph file is kept as the card holds it.
    EXPECT_EQ(result.kept(), 1);
    EXPECT_EQ(readBytes(bench.containers / kKeptFilesFolder / "noise.2.dlb"), filler(300, 9));
}

TEST_F(SdCardImportTest, WithoutItsWorkFolderTheImportReportsNothingFound) {
    putCardFile(bench.card("funke", "sdb"), "a.dlb", vehicleUnitFile({0x7602}));
    SdCardImport import(*bench.store, bench.clock, bench.drives.sources(), bench.work / "missing");
    SdImportResult result = import.run({}, chooser);
    EXPECT_EQ(result.message->text, "Es wurden keine verwertbaren Dateien gefunden.");
    EXPECT_TRUE(filesIn(bench.containers).empty());
}

TEST_F(SdCardImportTest, ANamedFolderIsSearchedWithoutScanOrQuestion) {
    const fs::path folder = bench.drives.root() / "copied-card";
    fs::create_directories(folder);
    putCardFile(folder, "a.dlb", vehicleUnitFile({0x7602}));
    SdImportRequest request;
    request.namedDrive = folder.string();

    SdImportResult result = bench.import().run(request, chooser);

    EXPECT_EQ(chooser.asked, 0);
    EXPECT_EQ(result.containers(), 1);
}

TEST_F(SdCardImportTest, WithDddWantedTheEuFileIsFiledToo) {
    putCardFile(bench.card("funke", "sdb"), "a.dlb", vehicleUnitFile({0x7602, 0x7603}));
    SdImportRequest request;
    request.makeEuFile = true;
    SdImportResult result = bench.import().run(request, chooser);
    ASSERT_EQ(result.containers(), 1);
    EXPECT_FALSE(result.files[0].filing.euPath.empty());
    EXPECT_EQ(filesIn(bench.containers / "EU", ".DDD").size(), 1u);
}

TEST_F(SdCardImportTest, EveryFilingRunsUnderTheContainerStoresLock) {
    putCardFile(bench.card("funke", "sdb"), "a.dlb", vehicleUnitFile({0x7602}));
    std::vector<bool> lockHeld;
    ContextOptions options;
    options.settings = &bench.settings;
    options.clock = &bench.clock;
    options.cipherLibrary = cipherLibraryPath();
    options.workFolder = bench.work;
    // A maker that asks another thread whether the lock is free while it runs.
    ContainerStore store(bench.key, options, bench.clock,
                         [&](ConversionContext&, std::string& path, std::string_view, int) {
                             auto probe = std::async(std::launch::async, [] {
                                 if (!containerRunMutex().try_lock()) return true;
                                 containerRunMutex().unlock();
                                 return false;
                             });
                             lockHeld.push_back(probe.get());
                             const std::string filed = (bench.containers / "x.dlc").string();
                             fs::rename(path, filed);
                             path = filed;
                             return 0;
                         });
    SdCardImport import(store, bench.clock, bench.drives.sources(), bench.work);
    SdImportResult result = import.run({}, chooser);

    EXPECT_EQ(result.containers(), 1);
    ASSERT_FALSE(lockHeld.empty());
    for (bool held : lockHeld) EXPECT_TRUE(held);
}

TEST_F(SdCardImportTest, AnImportWaitsForAFilingUnderWay) {
    putCardFile(bench.card("funke", "sdb"), "a.dlb", vehicleUnitFile({0x7602}));
    std::unique_lock held(containerRunMutex());  // a download's filing under way
    auto running = std::async(std::launch::async, [&] { return bench.import().run({}, chooser); });
    EXPECT_EQ(running.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    EXPECT_TRUE(filesIn(bench.containers).empty());
    held.unlock();
    EXPECT_EQ(running.get().containers(), 1);
}
