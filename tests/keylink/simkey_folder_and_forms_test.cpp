// The key folder writer and reader that the key tool and the test-data
// builder use, and the key's file forms where they must refuse or must not
// be fooled.
#include <fstream>
#include <sstream>

#include "KeyTestSupport.h"
#include "oltrex/simkey/SimKey.h"

namespace {

using namespace keytest;
namespace simkey = oltrex::simkey;

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(SimKeyFolder, CreateKeyWritesTheIdentityAndRefusesToOverwriteAKey) {
    TempFolder temp;
    fs::path key = temp / "a" / "key";
    std::string error;
    ASSERT_TRUE(simkey::createKey(key, {"OC", "0000000402", "0402"}, &error)) << error;
    EXPECT_TRUE(fs::is_directory(key / "files"));
    auto ini = simkey::readKeyIni(key);
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->identity.series, "OC");
    EXPECT_EQ(ini->identity.number, "0000000402");
    EXPECT_EQ(ini->identity.firmware, "0402");
    EXPECT_FALSE(ini->bootloader);

    EXPECT_FALSE(simkey::createKey(key, {"OX", "1111111111", "0120"}, &error));
    EXPECT_NE(error.find("already"), std::string::npos) << error;
    EXPECT_EQ(simkey::readKeyIni(key)->identity.series, "OC");
}

TEST(SimKeyFolder, BadIdentitiesAreRefused) {
    TempFolder temp;
    for (const simkey::KeyIdentity& id : {simkey::KeyIdentity{"O", "0012345678", "0120"},
                                          simkey::KeyIdentity{"O1", "0012345678", "0120"},
                                          simkey::KeyIdentity{"OX", "001234567", "0120"},
                                          simkey::KeyIdentity{"OX", "00123456789", "0120"},
                                          simkey::KeyIdentity{"OX", "0012345678", "12"},
                                          simkey::KeyIdentity{"OX", "0012345678", "01a0"}}) {
        std::string error;
        EXPECT_FALSE(simkey::createKey(temp / "key", id, &error))
            << id.series << id.number << id.firmware;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(fs::exists(temp / "key" / "key.ini"));
}

TEST(SimKeyFolder, SingleValueUpdatesKeepTheOtherLinesOfKeyIni) {
    TempFolder temp;
    fs::path key = temp / "key";
    ASSERT_TRUE(simkey::createKey(key, {}));
    {
        std::ofstream(key / "key.ini", std::ios::app)
            << "\n[bootsim]\n; written by another tool\nlast=ok\n";
    }
    ASSERT_TRUE(simkey::setFirmware(key, "0130"));
    ASSERT_TRUE(simkey::setBootloader(key, true));
    simkey::KeyFaults faults;
    faults.failRead = {"V_A_1", "V B 2"};
    faults.failKeyInfo = true;
    faults.readDelayMs = 25;
    ASSERT_TRUE(simkey::setFaults(key, faults));

    std::string text = readText(key / "key.ini");
    EXPECT_NE(text.find("; written by another tool\nlast=ok"), std::string::npos) << text;
    auto ini = simkey::readKeyIni(key);
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->identity.firmware, "0130");
    EXPECT_TRUE(ini->bootloader);
    EXPECT_EQ(ini->faults.failRead, faults.failRead);
    EXPECT_TRUE(ini->faults.failKeyInfo);
    EXPECT_EQ(ini->faults.readDelayMs, 25u);

    EXPECT_FALSE(simkey::setFirmware(key, "13"));
    EXPECT_FALSE(simkey::setFaults(key, {{"A,B"}, false, 0}));
    EXPECT_EQ(simkey::readKeyIni(key)->identity.firmware, "0130");
}

TEST(SimKeyFolder, KeyIniAsTheDocumentShowsItIsRead) {
    TempFolder temp;
    fs::create_directories(temp / "key" / "files");
    std::ofstream(temp / "key" / "key.ini")
        << "[key]\r\nseries = OB\r\nnumber=0012345678\r\nfirmware=0102\r\n"
           "bootloader=0\r\n\r\n[faults]\r\nfail_read= V_A , V_B\r\n"
           "fail_keyinfo=0\r\nread_delay_ms=0\r\n";
    auto ini = simkey::readKeyIni(temp / "key");
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->identity.series, "OB");
    EXPECT_EQ(ini->faults.failRead, (std::vector<std::string>{"V_A", "V_B"}));
    EXPECT_TRUE(simkey::isKeyPlugged(temp / "key"));
}

TEST(SimKeyFolder, InvalidFaultValuesMakeKeyIniUnreadable) {
    TempFolder temp;
    ASSERT_TRUE(simkey::createKey(temp / "key", {}));
    ASSERT_TRUE(simkey::setKeyIniValue(temp / "key", "faults", "read_delay_ms", "soon"));
    std::string error;
    EXPECT_FALSE(simkey::readKeyIni(temp / "key", &error));
    EXPECT_NE(error.find("read_delay_ms"), std::string::npos);
}

TEST(SimKeyFolder, KeyFileNamesMustBePlainNames) {
    TempFolder temp;
    ASSERT_TRUE(simkey::createKey(temp / "key", {}));
    const std::vector<std::string> bad = {"",
                                          ".",
                                          "..",
                                          "../escape",
                                          "a/b",
                                          "a\\b",
                                          ".hidden",
                                          std::string(81, 'V'),
                                          std::string("nul\0x", 5),
                                          "tab\tname"};
    for (const auto& name : bad) {
        EXPECT_FALSE(simkey::writeKeyFile(temp / "key", name, {1, 2, 3})) << name;
    }
    EXPECT_FALSE(fs::exists(temp / "escape"));
    EXPECT_TRUE(simkey::writeKeyFile(temp / "key", std::string(80, 'V'), {1}));
    EXPECT_TRUE(simkey::writeKeyFile(temp / "key", "V_AB 12 CD_5F5E1000", {1}));
}

TEST(SimKeyFolder, TheListingIsSortedAndSkipsTemporaryFilesLinksAndFolders) {
    TempFolder temp;
    fs::path key = temp / "key";
    ASSERT_TRUE(simkey::createKey(key, {}));
    ASSERT_TRUE(simkey::writeKeyFile(key, "V_B", {1, 2}));
    ASSERT_TRUE(simkey::writeKeyFile(key, "C_A", {1, 2, 3}));
    ASSERT_TRUE(simkey::writeKeyFile(key, "V_B", {9}));  // replaced
    std::ofstream(key / "files" / ".V_C.part-1") << "half";
    fs::create_directory(key / "files" / "V_DIR");
    std::error_code noLinks;  // the Windows build's library makes none
    fs::create_symlink(key / "key.ini", key / "files" / "V_LINK", noLinks);
    auto files = simkey::listKeyFiles(key);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "C_A");
    EXPECT_EQ(files[0].size, 3u);
    EXPECT_EQ(files[1].name, "V_B");
    EXPECT_EQ(files[1].size, 1u);
    if (noLinks) return;
    EXPECT_FALSE(simkey::readKeyFile(key, "V_LINK"))
        << "a link out of the files folder was followed";
    EXPECT_FALSE(simkey::deleteKeyFile(key, "V_LINK"));
    EXPECT_TRUE(fs::exists(key / "key.ini"));
}

TEST(SimKeyForms, ProtectedFormIsItsOwnInverseForEveryRemainder) {
    for (std::size_t n : {0u, 1u, 3u, 4u, 7u, 8u, 1025u}) {
        Bytes plain = countingBytes(n, 3);
        EXPECT_EQ(simkey::protectedForm(simkey::protectedForm(plain)), plain) << n;
        EXPECT_EQ(descramble(simkey::protectedForm(plain)), plain) << n;
    }
}

TEST(SimKeyForms, SecureBodyScramblerIsUndoneByTheDecodingChain) {
    Bytes plain = countingBytes(600, 0);
    Bytes scrambled = simkey::scrambleSecureBody(plain);
    Bytes withHeader(8, 0);
    append(withHeader, scrambled);
    EXPECT_EQ(decodeSecureBody(withHeader), plain);
    EXPECT_EQ(simkey::unscrambleSecureBody(scrambled), plain);
}

TEST(SimKeyForms, ABlockWhoseDataEndsIn76FFIsOneRecordWithAllItsData) {
    Bytes data = countingBytes(40, 1);
    append(data, bytesOf({0x76, 0xFF}));  // the file reads 76 FF 76 FF 76 FF
    Bytes file = block(0x7601, data);
    append(file, block(0x7602, bytesOf({4})));
    auto body = simkey::securePlainBody("V_X_00000001", file);
    ASSERT_TRUE(body);
    EXPECT_EQ(
        reencodedRecords(splitRecords(*body, 10)),
        (std::vector<Record>{nameRecord("V_X_00000001"), {0x7601, data}, {0x7602, bytesOf({4})}}));
}

TEST(SimKeyForms, AnEmptyVehicleUnitFileHasOnlyTheNameRecord) {
    auto body = simkey::securePlainBody("V_EMPTY", {});
    ASSERT_TRUE(body);
    Bytes rest;
    EXPECT_EQ(splitRecords(*body, 10, &rest), std::vector<Record>{nameRecord("V_EMPTY")});
    EXPECT_TRUE(rest.empty());
}

TEST(SimKeyForms, AVehicleUnitFileCutOffInsideABlockEndsInARecordThatClaimsMore) {
    Bytes file = block(0x7601, bytesOf({1}));
    append(file, bytesOf({0x76, 0x02, 7, 8, 9}));  // no end marker
    auto body = simkey::securePlainBody("V_X", file);
    ASSERT_TRUE(body);
    Bytes rest;
    const auto records = splitRecords(*body, 10, &rest);
    EXPECT_EQ(reencodedRecords(records),
              (std::vector<Record>{nameRecord("V_X"), {0x7601, bytesOf({1})}}));
    ASSERT_EQ(rest.size(), 4u + 5u);
    EXPECT_EQ(Bytes(rest.begin(), rest.begin() + 6), bytesOf({0, 0, 0, 6, 0x76, 0x02}));
    EXPECT_EQ(pcEncode(Bytes(rest.begin() + 6, rest.end())), bytesOf({7, 8, 9}));
}

TEST(SimKeyForms, OnlyCardFilesWithAnImageAndTheirClosingMarkerHaveASecureCardForm) {
    std::string error;
    EXPECT_FALSE(simkey::secureForm("C_X", bytesOf({0x76, 0x06, 0x76, 0xFF, 0x76}), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(
        simkey::secureForm("c_X", bytesOf({0x76, 0x07, 1, 0x76, 0xFF, 0x76, 0xFF}), &error));
    EXPECT_FALSE(simkey::secureForm("C_X", bytesOf({0x76, 0x06, 0x76, 0xFF, 0x76, 0xFF}), &error))
        << "an empty image would come back as the end marker alone";
    EXPECT_FALSE(simkey::secureForm("C_X", bytesOf({0x76, 0x06, 1, 2, 3, 4, 5}), &error));
    const Bytes card = bytesOf({0x76, 0x06, 0x05, 0x20, 0x00, 0x76, 0xFF, 0x76, 0xFF});
    auto body = simkey::securePlainBody("c_X", card, &error);
    ASSERT_TRUE(body) << error;
    Bytes rest;
    EXPECT_EQ(splitRecords(*body, 1, &rest), std::vector<Record>{nameRecord("c_X")});
    EXPECT_EQ(pcEncode(rest), bytesOf({0x05, 0x20, 0x00}));
}

TEST(SimKeyForms, TheEncodingChainPreimageIsUndoneByTheEncodingChain) {
    const Bytes wanted = countingBytes(700, 5);
    EXPECT_EQ(pcEncode(simkey::encodingChainPreimage(wanted.data(), wanted.size())), wanted);
}

TEST(SimKeyForms, SecureHeaderCarriesTheBodyLength) {
    auto file = simkey::secureForm("V_X", block(0x7601, countingBytes(10, 1)));
    ASSERT_TRUE(file);
    ASSERT_GE(file->size(), 8u);
    std::size_t bodyLength =
        std::size_t{(*file)[4]} << 24 | (*file)[5] << 16 | (*file)[6] << 8 | (*file)[7];
    EXPECT_EQ(bodyLength, file->size() - 8);
    EXPECT_EQ(std::string(file->begin(), file->begin() + 4), "OXSF");
}

TEST(SimKeyForms, TextsHaveTheKeysFormat) {
    simkey::KeyIdentity id{"OX", "0012345678", "0120"};
    EXPECT_EQ(simkey::keyInfoText(id), " StickID: OX0012345678 FW-0120");
    EXPECT_EQ(simkey::serialNumberText(id), " StickID: OX12345678 FW-0120");
    EXPECT_EQ(simkey::directoryEntry(1234, "V_A"), "    1234 Bytes - \"V_A\"");
    EXPECT_EQ(simkey::directoryEntry(123456789, "V_A"), "123456789 Bytes - \"V_A\"");
}

}  // namespace
