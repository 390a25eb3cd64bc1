// What the container maker writes: the container layout, the header block and
// the EU file, and how it reads the blocks of a key file.
#include <gtest/gtest.h>

#include "maker_support.h"

namespace oltrex::testing {
namespace {

// Expected plain content of vehicle-unit blocks in container mode.
Bytes withLength(std::uint16_t tag, const Bytes& data) {
    Bytes out;
    putBe32(out, static_cast<std::uint32_t>(data.size() + 2));
    putBe16(out, tag);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes tagged(std::uint16_t tag, const Bytes& data) {
    Bytes out;
    putBe16(out, tag);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class MakerLayout : public MakerTest {
protected:
    // Runs in container mode and opens the filed container.
    OpenedContainer runAndOpen(const Bytes& file, const std::string& kindName = "V_ABC_622B5715") {
        EXPECT_EQ(run(kindName, file, kindName), 0);
        auto opened = openContainer(readFile(path));
        EXPECT_TRUE(opened.has_value()) << path;
        return opened.value_or(OpenedContainer{Bytes(kHeaderBlockSize), {}});
    }
};

TEST_F(MakerLayout, ContainerHoldsTheVersionRecordThenTheEncryptedContainer) {
    const Bytes overview = overviewGen1("ABC");
    const Bytes activity = filler(300, 3);
    Bytes file;
    putBlock(file, 0x7601, overview);
    putBlock(file, 0x7602, activity);
    ASSERT_EQ(run("V_ABC_622B5715", file, "V_ABC_622B5715"), 0);

    const Bytes filed = readFile(path);
    ASSERT_GE(filed.size(), 8u);
    EXPECT_EQ(Bytes(filed.begin(), filed.begin() + 8), (Bytes{0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01}));
    auto plain = decryptWith(KeySetId::ContainerB, Bytes(filed.begin() + 8, filed.end()));
    ASSERT_TRUE(plain.has_value());
    // Header record: 228 bytes encrypt to 240; the length counts the tag.
    EXPECT_EQ(Bytes(plain->begin(), plain->begin() + 6), (Bytes{0x00, 0x00, 0x00, 0xF2, 0x76, 0xFF}));

    auto opened = openContainer(filed);
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->content, concat({withLength(0x7601, overview), withLength(0x7602, activity)}));
}

TEST_F(MakerLayout, HeaderBlockCarriesClassAndTheVehicleUnitTime) {
    Bytes file;
    putBlock(file, 0x7601, overviewGen1("ABC"));
    putBlock(file, 0x7602, filler(10, 1));
    const auto opened = runAndOpen(file);
    ASSERT_EQ(opened.headerBlock.size(), kHeaderBlockSize);
    EXPECT_EQ(opened.headerBlock[0], 0x00);
    EXPECT_EQ(opened.headerBlock[1], 0x04);
    EXPECT_EQ(opened.headerBlock[2], 0x05);
    // 2022-03-11 14:05:09
    EXPECT_EQ(Bytes(opened.headerBlock.begin() + 223, opened.headerBlock.begin() + 227),
              (Bytes{0x62, 0x2B, 0x57, 0x15}));
    Bytes rest(opened.headerBlock.begin() + 3, opened.headerBlock.begin() + 223);
    rest.push_back(opened.headerBlock[227]);
    EXPECT_EQ(rest, Bytes(rest.size(), 0x00));
}

TEST_F(MakerLayout, InstallationTypeBEHGivesClassTen) {
    settings.set(kTachographSettingsPath, "InstTyp", "BEH");
    Bytes file;
    putBlock(file, 0x7602, filler(10, 1));
    EXPECT_EQ(runAndOpen(file).headerBlock[2], 0x0A);
}

TEST_F(MakerLayout, HeaderTimeIsTheLocalRunStartWithoutOverview) {
    clock.set({2023, 7, 1, 10, 20, 30, 999});
    Bytes file;
    putBlock(file, 0x7602, filler(50, 1));
    const auto opened = runAndOpen(file);
    // Calendar values taken as they are, milliseconds dropped.
    EXPECT_EQ(headerSeconds(opened.headerBlock), epochFromCalendar({2023, 7, 1, 10, 20, 30, 0}));
}

TEST_F(MakerLayout, ABlockOf1000BytesHasTheLengthField03EA) {
    Bytes file;
    putBlock(file, 0x7603, filler(1000, 9));
    const auto opened = runAndOpen(file);
    ASSERT_GE(opened.content.size(), 6u);
    EXPECT_EQ(Bytes(opened.content.begin(), opened.content.begin() + 6), (Bytes{0x00, 0x00, 0x03, 0xEA, 0x76, 0x03}));
}

TEST_F(MakerLayout, EuModeWritesTagAndDataOnlyWithoutHeaderOrEncryption) {
    const Bytes overview = overviewGen1("ABC");
    const Bytes activity = filler(300, 3);
    Bytes file;
    putBlock(file, 0x7601, overview);
    putBlock(file, 0x7602, activity);
    ASSERT_EQ(run("V_ABC_622B5715", file, "V_ABC_622B5715", 1), 0);
    EXPECT_EQ(readFile(path), concat({tagged(0x7601, overview), tagged(0x7602, activity)}));
    EXPECT_EQ(FakeCipher::encryptCalls, 0);
}

TEST_F(MakerLayout, TwoUnknownBytesBetweenBlocksAreSkipped) {
    const Bytes a = filler(40, 1), b = filler(40, 2);
    Bytes file;
    putBlock(file, 0x7602, a);
    file.insert(file.end(), {0x12, 0x34});
    putBlock(file, 0x7603, b);
    EXPECT_EQ(runAndOpen(file).content, concat({withLength(0x7602, a), withLength(0x7603, b)}));
}

TEST_F(MakerLayout, AnOddNumberOfUnknownBytesHidesTheNextTag) {
    const Bytes a = filler(40, 1);
    Bytes b(40, 0x11);
    Bytes file;
    putBlock(file, 0x7602, a);
    file.push_back(0x12);
    putBlock(file, 0x7603, b);
    EXPECT_EQ(runAndOpen(file).content, withLength(0x7602, a));
}

TEST_F(MakerLayout, ABlockWithoutEndMarkerIsNotWritten) {
    const Bytes a = filler(40, 1);
    Bytes file;
    putBlock(file, 0x7602, a);
    putBe16(file, 0x7603);
    const Bytes tail = filler(30, 5);
    file.insert(file.end(), tail.begin(), tail.end());
    EXPECT_EQ(runAndOpen(file).content, withLength(0x7602, a));
}

TEST_F(MakerLayout, APartialEndMarkerInsideTheDataDoesNotEndTheBlock) {
    const Bytes a{0x76, 0x76, 0xFF, 0x76, 0x00, 0x76, 0xFF, 0x76, 0x76, 0xFF, 0x76, 0x01};
    Bytes file;
    putBlock(file, 0x7602, a);
    putBlock(file, 0x7603, filler(10, 3));
    EXPECT_EQ(runAndOpen(file).content, concat({withLength(0x7602, a), withLength(0x7603, filler(10, 3))}));
}

TEST_F(MakerLayout, AnEndMarkerCutByTheFileEndIsNoEndMarker) {
    const Bytes a = filler(40, 1);
    Bytes file;
    putBlock(file, 0x7602, a);
    putBe16(file, 0x7603);
    file.insert(file.end(), {0x01, 0x76, 0xFF, 0x76});
    EXPECT_EQ(runAndOpen(file).content, withLength(0x7602, a));
}

TEST_F(MakerLayout, AnEmptyBlockIsNotWritten) {
    const Bytes a = filler(40, 1);
    Bytes file;
    putBlock(file, 0x7602, {});
    putBlock(file, 0x7603, a);
    EXPECT_EQ(runAndOpen(file).content, withLength(0x7603, a));
}

TEST_F(MakerLayout, AnOverviewThatClosesTheFileIsWrittenButDoesNotName) {
    Bytes file;
    putBlock(file, 0x7601, overviewGen1("ABC"));
    const auto opened = runAndOpen(file, "V_ABC_622B5715");
    EXPECT_EQ(opened.content, withLength(0x7601, overviewGen1("ABC")));
    EXPECT_EQ(filedName(), "V_ABC_622B5715.dlc");  // the short name
}

TEST_F(MakerLayout, ATruncatedOverviewIsFiledWholeUnderTheShortName) {
    Bytes overview = overviewGen1("ABC");
    overview.resize(300);
    Bytes file;
    putBlock(file, 0x7601, overview);
    putBlock(file, 0x7602, filler(10, 1));
    const auto opened = runAndOpen(file, "V_ABC_622B5715");
    EXPECT_EQ(opened.content, concat({withLength(0x7601, overview), withLength(0x7602, filler(10, 1))}));
    EXPECT_EQ(filedName(), "V_ABC_622B5715.dlc");
}

TEST_F(MakerLayout, SmartBlockAfterTheOverviewMakesAnSName) {
    Bytes file;
    putBlock(file, 0x7621, filler(100, 1));
    putBlock(file, 0x7611, filler(10, 2));
    putBlock(file, 0x7622, filler(10, 3));
    ASSERT_EQ(run("V_ABC_2022-03-11_14-05-09.2", file, "V_ABC_2022-03-11_14-05-09.2"), 0);
    EXPECT_EQ(filedName(), "S_ABC_2022-03-11_14-05-09.dlc");
}

TEST_F(MakerLayout, SmartBlockBeforeTheOverviewKeepsTheVName) {
    Bytes file;
    putBlock(file, 0x7611, filler(10, 2));
    putBlock(file, 0x7621, filler(100, 1));
    putBlock(file, 0x7622, filler(10, 3));
    ASSERT_EQ(run("V_ABC_2022-03-11_14-05-09.2", file, "V_ABC_2022-03-11_14-05-09.2"), 0);
    EXPECT_EQ(filedName(), "V_ABC_2022-03-11_14-05-09.dlc");
}

TEST_F(MakerLayout, SmartTachographVersion2BlocksAreFiledWholeAndNamed) {
    std::vector<std::pair<std::uint16_t, Bytes>> blocks = {
        {0x7631, filler(120, 1)}, {0x7633, filler(60, 2)}, {0x7635, filler(30, 3)},
        {0x7632, filler(90, 4)},  {0x7632, filler(80, 5)}, {0x7634, filler(20, 6)}};
    Bytes file, euExpected, containerExpected;
    for (const auto& [tag, data] : blocks) {
        putBlock(file, tag, data);
        const Bytes t = tagged(tag, data), l = withLength(tag, data);
        euExpected.insert(euExpected.end(), t.begin(), t.end());
        containerExpected.insert(containerExpected.end(), l.begin(), l.end());
    }
    const std::string name = "V_XY12345_2024-10-29_13-36-34.2";
    ASSERT_EQ(run(name, file, name), 0);
    EXPECT_EQ(filedName(), "V_XY12345_2024-10-29_13-36-34.dlc");
    auto opened = openContainer(readFile(path));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->content, containerExpected);

    ASSERT_EQ(run(name, file, name, 1), 0);
    EXPECT_EQ(filedName(), "V_XY12345_2024-10-29_13-36-34.DDD");
    EXPECT_EQ(readFile(path), euExpected);
}

// ---- Cards -----------------------------------------------------------------

Bytes driverImage(bool withActivity = true) {
    Bytes image;
    putRecord(image, 0x0002, 0, filler(25, 1));
    putRecord(image, 0x0005, 0, Bytes{0x00, 0x05, 0x1A, 0x2B, 0x00, 0x00, 0x00, 0x0C});
    putRecord(image, 0x0501, 0, Bytes{0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    putRecord(image, 0x0501, 1, filler(128, 2));
    putRecord(image, 0x0520, 0, identification(13, "DF00000012345600", "MUSTERMANN", "ERIKA"));
    if (withActivity) putRecord(image, 0x0504, 0, filler(200, 3));
    putRecord(image, 0x0505, 0, filler(20, 4));
    return image;
}

TEST_F(MakerLayout, CardImageIsStoredUnchangedAfterTheHeaderRecord) {
    const Bytes image = driverImage();
    ASSERT_EQ(run("C_DF00000012345600_623B1A2C", keyCard(image), "C_DF00000012345600_623B1A2C", 0, 120), 0);
    auto opened = openContainer(readFile(path));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->content, image);
    // The driver activity record sets the header time to the card time.
    EXPECT_EQ(headerSeconds(opened->headerBlock), 0x623B1A2Cu);
    EXPECT_EQ(filedName(), "C_MUSTERMANN_ERIKA_2022-03-23_13-01-32.dlc");
}

TEST_F(MakerLayout, ACardImageEndingInsideItsLastRecordIsTakenWhole) {
    Bytes image = driverImage();
    image.insert(image.end(), {0x05, 0x06, 0x00, 0x04, 0x61, 1, 2, 3});  // 1121 announced, 3 follow
    auto context = makeContext();
    const std::string name = "C_DF00000012345600_623B1A2C";
    writeFile(folders.work / name, keyCard(image));
    path = (folders.work / name).string();
    ASSERT_EQ(buildContainer(*context, path, name, 120), 0);
    EXPECT_EQ(context->untaken, "");
    auto opened = openContainer(readFile(path));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->content, image);
    EXPECT_EQ(filedName(), "C_MUSTERMANN_ERIKA_2022-03-23_13-01-32.dlc");
}

TEST_F(MakerLayout, CardWithoutActivityRecordKeepsTheLocalHeaderTime) {
    clock.set({2023, 7, 1, 10, 20, 30, 0});
    ASSERT_EQ(run("C_DF00000012345600_623B1A2C", keyCard(driverImage(false)), "C_DF00000012345600_623B1A2C"), 0);
    auto opened = openContainer(readFile(path));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(headerSeconds(opened->headerBlock), epochFromCalendar({2023, 7, 1, 10, 20, 30, 0}));
    EXPECT_EQ(filedName(), "C_MUSTERMANN_ERIKA_2023-07-01_10-20-30.dlc");
}

TEST_F(MakerLayout, CardInEuModeIsTheImageUnchanged) {
    const Bytes image = driverImage();
    ASSERT_EQ(run("C_DF00000012345600_623B1A2C", keyCard(image), "C_DF00000012345600_623B1A2C", 1), 0);
    EXPECT_EQ(readFile(path), image);
    EXPECT_EQ(filedName(), "C_MUSTERMANN_ERIKA_2022-03-23_13-01-32.DDD");
}

TEST_F(MakerLayout, CardRecordRunningPastTheImageEndsTheWalk) {
    Bytes image;
    putRecord(image, 0x0501, 0, Bytes{0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    putBe16(image, 0x0520);
    image.push_back(0x00);
    putBe16(image, 0xFFFF);  // far past the image
    const Bytes id = identification(13, "DF00000012345600", "MUSTERMANN", "ERIKA");
    image.insert(image.end(), id.begin(), id.end());
    ASSERT_EQ(run("C_DF00000012345600_623B1A2C", keyCard(image), "C_DF00000012345600_623B1A2C"), 0);
    auto opened = openContainer(readFile(path));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->content, image);
    EXPECT_EQ(filedName(), "C_DF00000012345600_623B1A2C");  // no holder read: short name
}

TEST_F(MakerLayout, CardRecordHeaderCutByTheImageEndEndsTheWalk) {
    Bytes image;
    putRecord(image, 0x0501, 0, Bytes{0x01});
    image.insert(image.end(), {0x05, 0x20, 0x00});  // 3 bytes of the identification record's header
    ASSERT_EQ(run("C_X_623B1A2C", keyCard(image), "C_X_623B1A2C"), 0);
    auto opened = openContainer(readFile(path));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->content, image);
    EXPECT_EQ(filedName(), "C_X_623B1A2C");
}

TEST_F(MakerLayout, CardTagAwayFromTheStartTakesTheImageUpToTheClosingBytesButNotTheFileWhole) {
    const Bytes image = driverImage();
    Bytes file{0x12, 0x34};  // two unknown bytes first
    const Bytes card = keyCard(image);
    file.insert(file.end(), card.begin(), card.end());
    auto context = makeContext();
    writeFile(folders.work / "C_DF00000012345600_623B1A2C", file);
    path = (folders.work / "C_DF00000012345600_623B1A2C").string();
    ASSERT_EQ(buildContainer(*context, path, "C_DF00000012345600_623B1A2C", 120), 0);
    auto opened = openContainer(readFile(path));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->content, image);
    EXPECT_EQ(context->untaken, "2 bytes from offset 0 start no block");
}

TEST_F(MakerLayout, FilesWithNothingToTakeAreNotFiled) {
    const Bytes noTags(64, 0x5A);
    for (const Bytes& file : {Bytes{}, Bytes{0x76}, Bytes{0x76, 0x06}, Bytes{0x76, 0x06, 0x01, 0x02, 0x03},
                              Bytes{0x76, 0x01, 0x76, 0xFF, 0x76}, Bytes{0x76, 0x02, 0x76, 0xFF, 0x76, 0xFF}, noTags}) {
        auto context = makeContext();
        const fs::path local = folders.work / "V_X_622B5715";
        writeFile(local, file);
        path = local.string();
        EXPECT_EQ(buildContainer(*context, path, "V_X_622B5715", 120), kContainerNothingToFile) << file.size();
        EXPECT_FALSE(context->untaken.empty());
        EXPECT_TRUE(filesIn(folders.containers).empty()) << file.size();
    }
}

TEST_F(MakerLayout, ALastBlockWithoutItsEndMarkerLeavesTheOthersFiledAndSaysSo) {
    Bytes file;
    putBlock(file, 0x7601, overviewGen1("ABC"));
    putBlock(file, 0x7602, filler(40, 3));
    const std::size_t open = file.size();
    file.insert(file.end(), {0x76, 0x03, 1, 2, 3, 4, 5});
    for (int mode : {0, 1}) {
        auto context = makeContext();
        context->mode = mode;
        writeFile(folders.work / "V_ABC_622B5715", file);
        path = (folders.work / "V_ABC_622B5715").string();
        ASSERT_EQ(buildContainer(*context, path, "V_ABC_622B5715", 120), 0);
        EXPECT_EQ(context->untaken, "the block 0x7603 at offset " + std::to_string(open) + " has no end marker");
        Bytes expected;
        putBe16(expected, 0x7601);
        const Bytes overview = overviewGen1("ABC");
        expected.insert(expected.end(), overview.begin(), overview.end());
        putBe16(expected, 0x7602);
        const Bytes data = filler(40, 3);
        expected.insert(expected.end(), data.begin(), data.end());
        if (mode == 1) {
            EXPECT_EQ(readFile(path), expected);
        } else {
            auto opened = openContainer(readFile(path));
            ASSERT_TRUE(opened.has_value());
            EXPECT_EQ(opened->content.size(), expected.size() + 8);  // with the two length fields
        }
    }
}

// ---- The cipher ----------------------------------------------------------

TEST_F(MakerLayout, CipherRegistersAreEmptyAfterEveryRun) {
    Bytes file;
    putBlock(file, 0x7601, overviewGen1("ABC"));
    putBlock(file, 0x7602, filler(10, 1));
    ASSERT_EQ(run("V_ABC_622B5715", file, "V_ABC_622B5715"), 0);
    EXPECT_EQ(FakeCipher::encryptCalls, 2);
    EXPECT_TRUE(FakeCipher::allEmpty());
}

TEST_F(MakerLayout, EncryptBlockDropsTheSixteenAppendedBytes) {
    auto context = makeContext();
    const Bytes data = filler(100, 7);
    auto sealed = encryptBlock(*context, data, KeySetId::HeaderA);
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(sealed->size(), 112u);
    EXPECT_EQ(decryptWith(KeySetId::HeaderA, *sealed), data);
    EXPECT_TRUE(FakeCipher::allEmpty());
}

TEST_F(MakerLayout, EncryptBlockStartsWithEmptyRegistersAfterAFailedCall) {
    auto context = makeContext();
    FakeCipher::registers[1] = Bytes(7, 0xEE);  // left behind by someone else
    const Bytes data = filler(20, 7);
    auto sealed = encryptBlock(*context, data, KeySetId::ContainerB);
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(decryptWith(KeySetId::ContainerB, *sealed), data);
}

TEST_F(MakerLayout, FailingCipherBreaksTheRunOffWithoutFilingAnything) {
    Bytes file;
    putBlock(file, 0x7601, overviewGen1("ABC"));
    for (bool shortResult : {false, true}) {
        FakeCipher::reset();
        FakeCipher::failEncrypt = !shortResult;
        FakeCipher::shortResult = shortResult;
        const fs::path local = folders.work / "V_ABC_622B5715";
        EXPECT_EQ(run("V_ABC_622B5715", file, "V_ABC_622B5715"), -2);
        EXPECT_EQ(path, local.string());
        EXPECT_TRUE(filesIn(folders.containers).empty());
        EXPECT_TRUE(FakeCipher::allEmpty());
    }
}

}  // namespace
}  // namespace oltrex::testing
