// AES-192-CBC of libhime.so: the encryption hands out ciphertext plus a copy
// of the vector, which the container maker cuts off; what remains must be
// standard AES-192-CBC/PKCS#7 that any tool decrypts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hime_library.h"
#include "oltrex/conversion/KeySets.h"
#include "oltrex/platform/Folders.h"

namespace fs = std::filesystem;
using oltrex::testing::HimeTest;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes fromHex(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string toHex(const std::string& text) {
    std::string out;
    char pair[3];
    for (unsigned char c : text) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        out += pair;
    }
    return out;
}

Bytes patterned(std::size_t size) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    return out;
}

class HimeCipherTest : public HimeTest {
protected:
    // Encrypts `data` in registers 1-3 into 4; the register's bytes.
    Bytes encrypt(const Bytes& data, const std::string& key, const std::string& iv) {
        hime.putBytes(1, data);
        hime.putText(2, key);
        hime.putText(3, iv);
        EXPECT_EQ(hime.encrypt(1, 2, 3, 4), 0);
        Bytes out = hime.bytes(4);
        hime.clearAll();
        return out;
    }
    int decrypt(const Bytes& cipherText, const std::string& key, const std::string& iv, Bytes& plain) {
        hime.putBytes(1, cipherText);
        hime.putText(2, key);
        hime.putText(3, iv);
        const int rc = hime.decrypt(1, 2, 3, 4);
        plain = hime.bytes(4);
        hime.clearAll();
        return rc;
    }
    const std::string key_ = "ABCDEFGHIJKLMNOPQRSTUVWX";
    const std::string iv_ = "0123456789abcdef";
};

TEST_F(HimeCipherTest, EncryptionMatchesTheStandardTestVectorsAndAppendsTheVector) {
    // AES-192 CBC example of NIST SP 800-38A (F.2.3), four blocks.
    const Bytes key = fromHex("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b");
    const Bytes iv = fromHex("000102030405060708090a0b0c0d0e0f");
    const Bytes plain = fromHex(
        "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
    const Bytes expected = fromHex(
        "4f021db243bc633d7178183a9fa071e8b4d9ada9ad7dedf4e5e738763f69145a"
        "571b242012fb7ae07fa9baac3df102e008b0e27988598881d920a9e64f5615cd"
        "612ccd79224b350935d45dd6a98f8176");  // + the PKCS#7 block
    hime.putBytes(1, plain);
    hime.putBytes(2, key);
    hime.putBytes(3, iv);
    ASSERT_EQ(hime.encrypt(1, 2, 3, 4), 0);
    const Bytes out = hime.bytes(4);
    ASSERT_EQ(out.size(), expected.size() + 16);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 80), expected);
    EXPECT_EQ(Bytes(out.begin() + 80, out.end()), iv);
    EXPECT_EQ(hime.bytes(1), plain) << "the input registers keep their bytes";
}

// What `openssl enc -aes-192-cbc` gives with the container's two key sets, so
// that every build of the library (libcrypto, bcrypt.dll) makes the same
// containers: the whole 228-byte header block under set A, and for set B the
// length and the last two blocks, which CBC makes depend on every byte before.
TEST_F(HimeCipherTest, TheContainerKeySetsGiveWhatOpensslGives) {
    const oltrex::KeySet headerKeys = oltrex::keySet(oltrex::KeySetId::HeaderA);
    const Bytes header = encrypt(patterned(228), headerKeys.key, headerKeys.iv);
    ASSERT_EQ(header.size(), 240u + 16u);
    EXPECT_EQ(Bytes(header.begin(), header.begin() + 240),
              fromHex("8582a8db5a6e13255a8ce1a7be4be723480031c95a53592592f59665bedfc335"
                      "9a548f8d9bbcb0390c562f92c62d90e0a1e1d08fb7ee2659bc1183c78e5539b8"
                      "169501626b80b11b30b56186eef9b866d3620862246cdad6d836309751a40ea0"
                      "4b49c73e206bfed7d63c496be8341cd64993bd931786f7773ed3913b3cbfcf1c"
                      "e5cace2e7cef1e30b33efc41c3bc78417cba60211fc9788c37839f70868433e1"
                      "513183dcbfeba75bb095f54c93f82e71b2b112f89d5b0ed9034594307d9abb9c"
                      "b16c656fd01e7aaf4677fba1a99dbdb3fc5b6df7d781ec07e22c08c967886995"
                      "c6e4c391a3e4c164fbb9c3d5d8e1dc48"));
    const oltrex::KeySet containerKeys = oltrex::keySet(oltrex::KeySetId::ContainerB);
    const Bytes container = encrypt(patterned(70000), containerKeys.key, containerKeys.iv);
    ASSERT_EQ(container.size(), 70016u + 16u);
    EXPECT_EQ(Bytes(container.end() - 48, container.end() - 16),
              fromHex("a7320d8071111f6fff94f3e73f30e279c24395b7bf4c6361b19a0d924c7994ca"));
}

TEST_F(HimeCipherTest, PaddingAlwaysAddsOneToSixteenBytes) {
    for (std::size_t size : {0u, 1u, 15u, 16u, 17u, 228u, 4095u}) {
        const Bytes out = encrypt(patterned(size), key_, iv_);
        const std::size_t padded = (size / 16 + 1) * 16;
        EXPECT_EQ(out.size(), padded + 16) << size;
    }
}

TEST_F(HimeCipherTest, DecryptionIsTheInverseOfWhatTheMakerKeeps) {
    for (std::size_t size : {0u, 1u, 16u, 228u, 100000u}) {
        const Bytes data = patterned(size);
        Bytes kept = encrypt(data, key_, iv_);
        kept.resize(kept.size() - 16);
        Bytes plain;
        ASSERT_EQ(decrypt(kept, key_, iv_, plain), 0) << size;
        EXPECT_EQ(plain, data) << size;
    }
}

TEST_F(HimeCipherTest, KeysAndVectorsOfTheWrongLengthAreRefusedAndLeaveNoOutput) {
    const std::vector<std::pair<std::string, std::string>> wrong{{key_.substr(0, 23), iv_},
                                                                 {key_ + "Y", iv_},
                                                                 {key_.substr(0, 16), iv_},
                                                                 {key_, iv_.substr(0, 15)},
                                                                 {key_, iv_ + "g"}};
    for (const auto& [key, iv] : wrong) {
        hime.putText(1, "data of one block");
        hime.putText(2, key);
        hime.putText(3, iv);
        hime.putText(4, "stale output");
        EXPECT_LT(hime.encrypt(1, 2, 3, 4), 0) << key << " / " << iv;
        EXPECT_EQ(hime.length(4), 0) << "a failed call must not leave old bytes that look like a result";
        hime.putText(4, "stale output");
        EXPECT_LT(hime.decrypt(1, 2, 3, 4), 0);
        EXPECT_EQ(hime.length(4), 0);
        hime.clearAll();
    }
}

TEST_F(HimeCipherTest, DecryptionRefusesDamagedCiphertext) {
    Bytes kept = encrypt(patterned(100), key_, iv_);
    kept.resize(kept.size() - 16);
    Bytes plain;
    EXPECT_LT(decrypt(Bytes(kept.begin(), kept.end() - 1), key_, iv_, plain), 0) << "not whole blocks";
    EXPECT_TRUE(plain.empty());
    EXPECT_LT(decrypt(Bytes{}, key_, iv_, plain), 0) << "no block at all";
    EXPECT_LT(decrypt(kept, "XBCDEFGHIJKLMNOPQRSTUVWX", iv_, plain), 0) << "wrong key: bad padding";
    EXPECT_TRUE(plain.empty());
}

TEST_F(HimeCipherTest, TheOutputRegisterMayBeTheDataRegister) {
    const Bytes data = patterned(50);
    const Bytes separate = encrypt(data, key_, iv_);
    hime.putBytes(1, data);
    hime.putText(2, key_);
    hime.putText(3, iv_);
    ASSERT_EQ(hime.encrypt(1, 2, 3, 1), 0);
    EXPECT_EQ(hime.bytes(1), separate);
}

TEST_F(HimeCipherTest, AResultReplacesWhatTheOutputRegisterHeld) {
    const Bytes small = patterned(10);
    const Bytes expected = encrypt(small, key_, iv_);
    hime.putBytes(4, patterned(5000));
    hime.putBytes(1, small);
    hime.putText(2, key_);
    hime.putText(3, iv_);
    ASSERT_EQ(hime.encrypt(1, 2, 3, 4), 0);
    EXPECT_EQ(hime.bytes(4), expected);
}

TEST_F(HimeCipherTest, RepeatedRunsOfDifferentSizesGiveTheSameResultsAsFreshOnes) {
    // Registers reuse their memory between runs; nothing of a bigger earlier
    // run may show in a smaller later one.
    std::vector<Bytes> fresh;
    for (std::size_t size : {100000u, 17u, 50000u, 0u}) fresh.push_back(encrypt(patterned(size), key_, iv_));
    std::size_t i = 0;
    for (std::size_t size : {100000u, 17u, 50000u, 0u}) {
        for (int round = 0; round < 2; ++round) EXPECT_EQ(encrypt(patterned(size), key_, iv_), fresh[i]) << size;
        ++i;
    }
    hime.putText(1, "long content that is cleared");
    hime.clear(1);
    hime.putText(1, "new");
    EXPECT_EQ(hime.bytes(1), (Bytes{'n', 'e', 'w'}));
}

// The maker's outer layer, checked with the openssl command line.
class HimeOpensslTest : public HimeCipherTest {
protected:
    void SetUp() override {
        HimeCipherTest::SetUp();
        if (std::system("openssl version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl command";
        std::error_code ec;
        dir_ = oltrex::createPrivateFolder(oltrex::systemTempFolder(), "oltrex-hime-test-", ec);
        ASSERT_FALSE(ec) << ec.message();
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
        HimeCipherTest::TearDown();
    }
    static void write(const fs::path& path, const Bytes& data) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    static Bytes read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    int openssl(const std::string& direction, const oltrex::KeySet& keys, const fs::path& in, const fs::path& out) {
        const std::string command = "openssl enc " + direction + " -aes-192-cbc -K " + toHex(keys.key) + " -iv " +
                                    toHex(keys.iv) + " -in '" + in.string() + "' -out '" + out.string() +
                                    "' 2>/dev/null";
        return std::system(command.c_str());
    }
    fs::path dir_;
};

TEST_F(HimeOpensslTest, OpensslDecryptsWhatTheMakerKeepsOfTheEncryption) {
    const oltrex::KeySet keys = oltrex::keySet(oltrex::KeySetId::ContainerB);
    ASSERT_EQ(keys.key.size(), 24u);
    ASSERT_EQ(keys.iv.size(), 16u);
    const Bytes data = patterned(70000);
    Bytes kept = encrypt(data, keys.key, keys.iv);
    kept.resize(kept.size() - 16);
    write(dir_ / "cipher.bin", kept);
    ASSERT_EQ(openssl("-d", keys, dir_ / "cipher.bin", dir_ / "plain.bin"), 0);
    EXPECT_EQ(read(dir_ / "plain.bin"), data);
}

TEST_F(HimeOpensslTest, HimeDecryptsWhatOpensslEncrypts) {
    const oltrex::KeySet keys = oltrex::keySet(oltrex::KeySetId::HeaderA);
    const Bytes data = patterned(228);
    write(dir_ / "plain.bin", data);
    ASSERT_EQ(openssl("-e", keys, dir_ / "plain.bin", dir_ / "cipher.bin"), 0);
    Bytes plain;
    ASSERT_EQ(decrypt(read(dir_ / "cipher.bin"), keys.key, keys.iv, plain), 0);
    EXPECT_EQ(plain, data);
}

}  // namespace
