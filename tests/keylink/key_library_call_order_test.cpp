// The key library interface walked in the download program's call order on a
// small key, with the download run's own view of the protected and secure
// forms (descrambler and decoding chain written in KeyTestSupport.h).
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "KeyTestSupport.h"
#include "oltrex/simkey/KeyFolder.h"

namespace {

using namespace keytest;
namespace simkey = oltrex::simkey;

const std::string kVu1 = "V_AB123CD_5F5E1000";
const std::string kVu2 = "V_AB123CD_2020-09-13_12-26-40.2";
const std::string kCard = "C_1000000000000001_5F5E1000";
const std::string kSeven = "V_SEVEN_00000007";

class KeyLibraryCallOrder : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetEnv("OLTREX_FTDI_PORT");
        key_ = temp_ / "key";
        simkey::KeyIdentity id{"OB", "0012345678", "0102"};
        std::string error;
        ASSERT_TRUE(simkey::createKey(key_, id, &error)) << error;

        vu1Blocks_ = {{0x7601, countingBytes(20, 1)}, {0x7602, countingBytes(9, 50)}, {0x7605, {}}};
        for (const auto& r : vu1Blocks_) append(vu1_, block(r.tag, r.data));
        vu2Blocks_ = {{0x7621, countingBytes(300, 3)}, {0x7625, countingBytes(17, 9)}};
        for (const auto& r : vu2Blocks_) append(vu2_, block(r.tag, r.data));
        image_ = countingBytes(37, 11);
        card_ = {0x76, 0x06};
        append(card_, image_);
        append(card_, kEndMarker);
        seven_ = bytesOf({0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70});

        store(kVu1, vu1_);
        store(kVu2, vu2_);
        store(kCard, card_);
        store(kSeven, seven_);
        setEnv("OLTREX_KEY", key_);
        KL_EndSecureMode();
    }
    void TearDown() override {
        KL_EndSecureMode();
        unsetEnv("OLTREX_KEY");
    }

    void store(const std::string& name, const Bytes& bytes) {
        std::string error;
        ASSERT_TRUE(simkey::writeKeyFile(key_, name, bytes, &error)) << error;
    }

    // Reads a remote name into a fresh local file; empty optional on failure.
    std::optional<Bytes> read(const std::string& remote) {
        fs::path local = temp_ / ("local-" + std::to_string(++reads_));
        if (KL_ReadFile(remote.c_str(), libraryPath(local).c_str()) != 0) {
            EXPECT_FALSE(fs::exists(local)) << "a failed read left " << local;
            return std::nullopt;
        }
        return readBytes(local);
    }

    static std::string entry(std::size_t size, const std::string& name) {
        char text[KL_DIR_ENTRY_SIZE];
        std::snprintf(text, sizeof text, "%8d Bytes - \"%s\"", static_cast<int>(size),
                      name.c_str());
        return text;
    }

    TempFolder temp_;
    fs::path key_;
    std::vector<Record> vu1Blocks_, vu2Blocks_;
    Bytes vu1_, vu2_, card_, image_, seven_;
    int reads_ = 0;
};

TEST_F(KeyLibraryCallOrder, KeyInfoHoldsSeriesNumberAndFirmwareWhereTheProgramsReadThem) {
    std::string text = keyInfo(128);
    EXPECT_EQ(text, " StickID: OB0012345678 FW-0102");
    EXPECT_EQ(text.substr(10, 2), "OB");
    EXPECT_EQ(text.substr(12, 10), "0012345678");
    EXPECT_EQ(text.substr(text.size() - 7), "FW-0102");
    EXPECT_NE(text.find("StickID: "), std::string::npos);
}

TEST_F(KeyLibraryCallOrder, DirectoryEntriesReadBackWithSizeAndQuotedNameSortedByName) {
    Directory dir;
    ASSERT_EQ(dir.read(), 0);
    std::vector<std::string> expected = {entry(card_.size(), kCard), entry(vu2_.size(), kVu2),
                                         entry(vu1_.size(), kVu1), entry(seven_.size(), kSeven)};
    EXPECT_EQ(dir.entries(), expected);
    for (const auto& e : dir.entries()) {
        int size = -1;
        char name[KL_DIR_ENTRY_SIZE] = {};
        ASSERT_EQ(std::sscanf(e.c_str(), "%8d Bytes - \"%[^\"]\"", &size, name), 2) << e;
        EXPECT_EQ(static_cast<std::size_t>(size), fs::file_size(key_ / "files" / name));
    }
}

TEST_F(KeyLibraryCallOrder, PlainReadGivesTheStoredFile) {
    EXPECT_EQ(read(kVu1), vu1_);
    EXPECT_EQ(read(kCard), card_);
    EXPECT_EQ(read(kSeven), seven_);
}

TEST_F(KeyLibraryCallOrder, ProtectedReadIsRestoredByTheDownloadRunsDescrambling) {
    for (const auto& [name, plain] :
         {std::pair{kVu1, vu1_}, {kVu2, vu2_}, {kCard, card_}, {kSeven, seven_}}) {
        auto scrambled = read(name + "\\5E07C9A2");
        ASSERT_TRUE(scrambled) << name;
        EXPECT_NE(*scrambled, plain) << name << " was handed out unprotected";
        EXPECT_EQ(descramble(*scrambled), plain) << name;
    }
}

TEST_F(KeyLibraryCallOrder, ProtectedSevenByteFileHasOneWordWithK0AndThreeBytesWithTheNextKey) {
    auto scrambled = read(kSeven + "\\5E07C9A2");
    ASSERT_TRUE(scrambled);
    ASSERT_EQ(scrambled->size(), 7u);
    const std::uint32_t k1 = 0x5E07C9A2u - 0x3D91B6E4u;
    Bytes expected = {0x10 ^ 0xA2,
                      0x20 ^ 0xC9,
                      0x30 ^ 0x07,
                      0x40 ^ 0x5E,
                      static_cast<std::uint8_t>(0x50 ^ (k1 & 0xFF)),
                      static_cast<std::uint8_t>(0x60 ^ (k1 >> 8 & 0xFF)),
                      static_cast<std::uint8_t>(0x70 ^ (k1 >> 16 & 0xFF))};
    EXPECT_EQ(*scrambled, expected);
}

TEST_F(KeyLibraryCallOrder, ProtectedReadWithAWrongAccessCodeFailsAndWritesNothing) {
    EXPECT_FALSE(read(kVu1 + "\\5E07C9A3"));
    EXPECT_FALSE(read(kVu1 + "\\"));
    EXPECT_FALSE(read(kVu1 + "\\5e07c9a2x"));
}

TEST_F(KeyLibraryCallOrder, SecureReadOfAVehicleUnitFileGivesTheNameRecordThenOneRecordPerBlock) {
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    auto file = read(kVu1);
    ASSERT_TRUE(file);
    ASSERT_GE(file->size(), 8u);
    Bytes rest;
    auto records = splitRecords(decodeSecureBody(*file), 100, &rest);
    // Each record's data is what the encoding chain turns into the block's data.
    std::vector<Record> expected = {nameRecord(kVu1)};
    expected.insert(expected.end(), vu1Blocks_.begin(), vu1Blocks_.end());
    EXPECT_EQ(reencodedRecords(records), expected);
    EXPECT_TRUE(rest.empty());
}

TEST_F(KeyLibraryCallOrder, SecureReadOfACardFileGivesTheNameRecordThenTheImageBeforeEncoding) {
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    auto file = read(kCard);
    ASSERT_TRUE(file);
    Bytes rest;
    auto records = splitRecords(decodeSecureBody(*file), 1, &rest);
    EXPECT_EQ(records, std::vector<Record>{nameRecord(kCard)});
    EXPECT_EQ(pcEncode(rest), image_);  // one chain for the whole image
}

TEST_F(KeyLibraryCallOrder, SecureAndProtectedReadIsSecureFormThenProtected) {
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    auto secure = read(kVu2);
    auto both = read(kVu2 + "\\5E07C9A2");
    ASSERT_TRUE(secure && both);
    EXPECT_EQ(descramble(*both), *secure);
    std::vector<Record> expected = {nameRecord(kVu2)};
    expected.insert(expected.end(), vu2Blocks_.begin(), vu2Blocks_.end());
    EXPECT_EQ(reencodedRecords(splitRecords(decodeSecureBody(descramble(*both)), 100)), expected);
}

TEST_F(KeyLibraryCallOrder, SecureReadOfAFileWithoutBlocksGivesItAsARecordCutOffByTheFileEnd) {
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    auto file = read(kSeven);
    ASSERT_TRUE(file);
    Bytes rest;
    ASSERT_EQ(splitRecords(decodeSecureBody(*file), 100, &rest),
              std::vector<Record>{nameRecord(kSeven)});
    // Length 8 claims one byte more than follows; the first two bytes stand as its tag.
    ASSERT_EQ(rest.size(), 4u + seven_.size());
    EXPECT_EQ(Bytes(rest.begin(), rest.begin() + 6), bytesOf({0, 0, 0, 8, 0x10, 0x20}));
    EXPECT_EQ(pcEncode(Bytes(rest.begin() + 6, rest.end())),
              Bytes(seven_.begin() + 2, seven_.end()));
}

TEST_F(KeyLibraryCallOrder, SecureReadOfACardFileThatIsNoCardFileFails) {
    store("C_NOCARD_5F5E1000", seven_);
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    EXPECT_FALSE(read("C_NOCARD_5F5E1000"));
}

TEST_F(KeyLibraryCallOrder, EndSecureModeBringsBackThePlainRead) {
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    ASSERT_NE(read(kVu1), vu1_);
    ASSERT_EQ(KL_EndSecureMode(), 0);
    EXPECT_EQ(read(kVu1), vu1_);
}

TEST_F(KeyLibraryCallOrder, DeleteRemovesTheFileFromTheNextDirectory) {
    ASSERT_EQ(KL_DeleteFile(kVu1.c_str()), 0);
    Directory dir;
    ASSERT_EQ(dir.read(), 0);
    for (const auto& e : dir.entries()) EXPECT_EQ(e.find(kVu1), std::string::npos) << e;
    EXPECT_EQ(dir.entries().size(), 3u);
    EXPECT_NE(KL_DeleteFile(kVu1.c_str()), 0) << "a second delete of the same file succeeded";
    EXPECT_FALSE(read(kVu1));
}

TEST_F(KeyLibraryCallOrder, AWholeSecureDownloadEmptiesTheKey) {
    // key info, begin secure mode, directory; per file read and delete; end secure mode, directory.
    ASSERT_NE(keyInfo(), "<failed>");
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    Directory dir;
    ASSERT_EQ(dir.read(), 0);
    std::vector<std::string> names;
    for (const auto& e : dir.entries()) {
        auto open = e.find('"');
        names.push_back(e.substr(open + 1, e.size() - open - 2));
    }
    ASSERT_EQ(names.size(), 4u);
    for (const auto& name : names) {
        if (name == kSeven) continue;  // not a tachograph file
        auto file = read(name + "\\5E07C9A2");
        ASSERT_TRUE(file) << name;
        auto records = splitRecords(decodeSecureBody(descramble(*file)), 1);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0], nameRecord(name));
        ASSERT_EQ(KL_DeleteFile(name.c_str()), 0);
    }
    ASSERT_EQ(KL_EndSecureMode(), 0);
    ASSERT_EQ(dir.read(), 0);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{entry(seven_.size(), kSeven)});
}

TEST_F(KeyLibraryCallOrder, DirectoryReportsAtMost128Entries) {
    for (int i = 0; i < 130; ++i) store("V_MANY_" + std::to_string(1000 + i), countingBytes(3, i));
    Directory dir;
    ASSERT_EQ(dir.read(), 0);
    auto entries = dir.entries();
    ASSERT_EQ(entries.size(), 128u);
    EXPECT_NE(entries.front().find(kCard), std::string::npos);  // sorted by name: "C_" first
}

TEST_F(KeyLibraryCallOrder, RemoteNamesThatLeaveTheFilesFolderAreRefused) {
    fs::path local = temp_ / "local";
    for (const std::string remote : {"../key.ini", "..", ".", "", "files/../key.ini", "/etc/passwd",
                                     "..\\5E07C9A2", "sub\\dir\\5E07C9A2"}) {
        EXPECT_NE(KL_ReadFile(remote.c_str(), libraryPath(local).c_str()), 0) << remote;
        EXPECT_NE(KL_DeleteFile(remote.c_str()), 0) << remote;
    }
    EXPECT_FALSE(fs::exists(local));
    EXPECT_TRUE(fs::exists(key_ / "key.ini"));
    EXPECT_NE(KL_ReadFile(nullptr, libraryPath(local).c_str()), 0);
    EXPECT_NE(KL_ReadFile(kVu1.c_str(), nullptr), 0);
    EXPECT_NE(KL_DeleteFile(nullptr), 0);
}

// Names and paths travel in the caller's code page (UTF-8 here, the ANSI code
// page on Windows): a name with an umlaut is listed, read and deleted by the
// name the caller got; one that the code page cannot hold is not listed.
TEST_F(KeyLibraryCallOrder, NamesTravelInTheCallersCodePage) {
    const std::string umlaut = "V_M\u00dcLLER_5F5E1000";
    store(umlaut, seven_);
    const std::string asListed = oltrex::systemCodePageText(umlaut);
    Directory dir;
    ASSERT_EQ(dir.read(), 0);
    const auto entries = dir.entries();
    EXPECT_NE(std::find(entries.begin(), entries.end(), entry(seven_.size(), asListed)), entries.end());
    const fs::path local = temp_.path() / oltrex::pathFromUtf8("l\u00f6cal");
    ASSERT_EQ(KL_ReadFile(asListed.c_str(), libraryPath(local).c_str()), 0);
    EXPECT_EQ(readBytes(local), seven_);
    ASSERT_EQ(KL_DeleteFile(asListed.c_str()), 0);
    EXPECT_FALSE(fs::exists(key_ / "files" / oltrex::pathFromUtf8(umlaut)));
#ifdef _WIN32
    store("V_\u0416_00000001", seven_);  // Cyrillic: not in code page 1252
    ASSERT_EQ(dir.read(), 0);
    EXPECT_EQ(dir.entries().size(), 4u);
#endif
}

// On Windows "C:name" is a name in drive C's current folder and "name:x" the
// stream x of a file: neither may reach past the key's files folder.
TEST_F(KeyLibraryCallOrder, NamesWithADriveOrAStreamAreRefused) {
    const fs::path before = fs::current_path();
    fs::current_path(key_);  // "C:key.ini" would be this folder's key.ini
    std::string drive = oltrex::utf8Of(key_.root_name());
    if (drive.empty()) drive = "C:";
    const fs::path local = temp_ / "local";
    const std::vector<std::string> remotes = {drive + "key.ini", drive + "files", "key.ini:stream",
                                              kSeven + ":stream", drive + "key.ini\\5E07C9A2"};
    for (const std::string& remote : remotes) {
        EXPECT_NE(KL_ReadFile(remote.c_str(), libraryPath(local).c_str()), 0) << remote;
        EXPECT_NE(KL_DeleteFile(remote.c_str()), 0) << remote;
    }
    fs::current_path(before);
    EXPECT_FALSE(fs::exists(local));
    EXPECT_TRUE(fs::exists(key_ / "key.ini"));
    EXPECT_EQ(read(kSeven), seven_);
    EXPECT_FALSE(simkey::writeKeyFile(key_, "V_X:stream", seven_));
}

TEST_F(KeyLibraryCallOrder, ReadReplacesAnExistingLocalFileButNeverWritesThroughALink) {
    fs::path local = temp_ / "existing";
    { std::ofstream(local) << "old content that is longer than the new one, much longer indeed"; }
    ASSERT_EQ(KL_ReadFile(kSeven.c_str(), libraryPath(local).c_str()), 0);
    EXPECT_EQ(readBytes(local), seven_);

    fs::path victim = temp_ / "victim";
    { std::ofstream(victim) << "keep"; }
    fs::path link = temp_ / "link";
    std::error_code ec;
    fs::create_symlink(victim, link, ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    EXPECT_NE(KL_ReadFile(kSeven.c_str(), libraryPath(link).c_str()), 0);
    EXPECT_EQ(readBytes(victim), bytesOf({'k', 'e', 'e', 'p'}));
}

}  // namespace
