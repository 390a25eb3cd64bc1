// Containers made through the real cipher library (libhime.so) open with the
// container reader, with libcrypto and with the openssl command line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "maker_support.h"
#include "oltrex/dlcreader/ContainerReader.h"

namespace oltrex::testing {
namespace {

std::string hexText(const std::string& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        text += digits;
    }
    return text;
}

class MakerWithHime : public MakerTest {
protected:
    void SetUp() override {
        MakerTest::SetUp();
        const char* bin = std::getenv("OLTREX_BIN");
        library = std::string(bin ? bin : ".") + "/libhime.so";
        if (!fs::exists(library)) GTEST_SKIP() << "libhime.so not built in $OLTREX_BIN";
    }

    int runWithHime(const std::string& name, const Bytes& file, const std::string& kindName, int mode = 0) {
        const fs::path local = folders.work / name;
        writeFile(local, file);
        ContextOptions options;
        options.settings = &settings;
        options.clock = &clock;
        options.cipherLibrary = library;
        options.workFolder = folders.work;
        ConversionContext context(options);
        EXPECT_TRUE(context.usable());
        context.mode = mode;
        path = local.string();
        return buildContainer(context, path, kindName, 120);
    }

    std::string library;
};

Bytes sampleVehicleUnit() {
    Bytes file;
    putBlock(file, 0x7601, overviewGen1("ABC 123"));
    putBlock(file, 0x7602, filler(5000, 1));
    putBlock(file, 0x7605, filler(77, 2));
    return file;
}

TEST_F(MakerWithHime, ContainerOpensWithTheContainerReader) {
    ASSERT_EQ(runWithHime("V_ABC 123_622B5715", sampleVehicleUnit(), "V_ABC 123_622B5715"), 0);
    EXPECT_EQ(filedName(), "V_ABC_123_2022-03-11_14-05-09.dlc");
    auto read = dlc::readContainerFile(path);
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.value.header.installationClass, 5);
    EXPECT_EQ(read.value.header.headerTime, kVuTime);
    ASSERT_EQ(read.value.blocks.size(), 3u);
    EXPECT_EQ(read.value.blocks[0].data, overviewGen1("ABC 123"));
    EXPECT_EQ(read.value.blocks[1].tag, 0x7602);
    EXPECT_EQ(read.value.blocks[1].data, filler(5000, 1));
}

TEST_F(MakerWithHime, OuterLayerDecryptsWithTheOpensslCommandLine) {
    if (std::system("openssl version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl command";
    ASSERT_EQ(runWithHime("V_ABC_622B5715", sampleVehicleUnit(), "V_ABC_622B5715"), 0);
    const Bytes filed = readFile(path);
    const fs::path cipherText = folders.base / "outer.bin";
    const fs::path plainText = folders.base / "plain.bin";
    writeFile(cipherText, Bytes(filed.begin() + 8, filed.end()));
    const KeySet keys = keySet(KeySetId::ContainerB);
    std::ostringstream command;
    command << "openssl enc -d -aes-192-cbc -K " << hexText(keys.key) << " -iv " << hexText(keys.iv) << " -in '"
            << cipherText.string() << "' -out '" << plainText.string() << "'";
    ASSERT_EQ(std::system(command.str().c_str()), 0) << command.str();
    const Bytes plain = readFile(plainText);
    ASSERT_GE(plain.size(), 6u);
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 6), (Bytes{0x00, 0x00, 0x00, 0xF2, 0x76, 0xFF}));
    EXPECT_EQ(plain, decryptWith(KeySetId::ContainerB, Bytes(filed.begin() + 8, filed.end())));
}

TEST_F(MakerWithHime, EuFileAndContainerHoldTheSameBlocks) {
    ASSERT_EQ(runWithHime("V_ABC_622B5715", sampleVehicleUnit(), "V_ABC_622B5715"), 0);
    auto read = dlc::readContainerFile(path);
    ASSERT_TRUE(read.ok()) << read.message;
    ASSERT_EQ(runWithHime("V_ABC_622B5715", sampleVehicleUnit(), "V_ABC_622B5715", 1), 0);
    EXPECT_EQ(readFile(path), dlc::euDownloadFile(read.value));
}

}  // namespace
}  // namespace oltrex::testing
