// The key's secure form (and the Oltrex-Funke's SD-card files) against
// KeyFetch's re-encoding: re-encoding the secure form of a key file gives the
// key file back byte for byte (a vehicle unit behind the first record's tag),
// also under the protected read; and every EU sample downloaded from keys of
// every form is filed alike.
#include <gtest/gtest.h>

#include <map>

#include "ConsoleRun.h"
#include "ExpectedForms.h"
#include "SampleFiles.h"
#include "oltrex/keyfetch/SecureReencoding.h"
#include "oltrex/keyfetch/TransportScrambling.h"
#include "oltrex/simkey/KeyForms.h"
#include "oltrex/testdata/DemoKey.h"

using namespace kftest;
namespace td = oltrex::testdata;

namespace {

// What the download run has after the read and the re-encoding.
Bytes reencodedDownload(const std::string& name, const Bytes& keyFile, bool protectedRead) {
    std::string error;
    auto secure = oltrex::simkey::secureForm(name, keyFile, &error);
    EXPECT_TRUE(secure.has_value()) << error;
    if (!secure) return {};
    Bytes read = protectedRead ? oltrex::simkey::protectedForm(*secure) : *secure;
    if (protectedRead) oltrex::descrambleTransport(read.data(), read.size());
    return oltrex::reencodeSecureBytes(read, oltrex::secureVariantFor(name));
}

// `label` names the file in messages (sample names hold personal values).
void expectRoundTrip(const std::string& name, const Bytes& keyFile, const std::string& label) {
    Bytes expected;
    if (oltrex::secureVariantFor(name) == oltrex::SecureVariant::VehicleUnit)
        expected = {0x76, 0x00};
    append(expected, keyFile);
    for (bool protectedRead : {false, true}) {
        const Bytes got = reencodedDownload(name, keyFile, protectedRead);
        EXPECT_TRUE(got == expected) << label << (protectedRead ? " (protected)" : "") << ": "
                                     << got.size() << " bytes for " << expected.size();
    }
}

void expectRoundTrip(const std::string& name, const Bytes& keyFile) {
    expectRoundTrip(name, keyFile, name);
}

}  // namespace

TEST(SecureFormRoundTrip, GivesBackEveryDemoFileByteForByte) {
    const auto files = td::demoKeyFiles();
    ASSERT_EQ(files.size(), 14u);
    for (const auto& f : files) expectRoundTrip(f.name, f.bytes);
    for (const auto& f : td::demoKeyFiles(7, 0x5F5E1000)) expectRoundTrip(f.name, f.bytes);
}

TEST(SecureFormRoundTrip, GivesBackEverySampleByteForByte) {
    const SampleKeyFiles samples = sampleKeyFiles();
    if (samples.files.empty()) GTEST_SKIP() << "no sample folder ($OLTREX_SAMPLES)";
    for (std::size_t i = 0; i < samples.files.size(); ++i)
        expectRoundTrip(samples.files[i].name, samples.files[i].bytes,
                        "sample " + std::to_string(i));
}

TEST(SecureFormRoundTrip, GivesBackVehicleUnitFilesThatAreNotWholeAsWell) {
    const Bytes vu = td::demoKeyFiles().front().bytes;
    expectRoundTrip("V_CUT_622B5715", Bytes(vu.begin(), vu.begin() + 1000));  // cut inside a block
    expectRoundTrip("V_NOTAGS_622B5715", Bytes(64, 0x5A));
    expectRoundTrip("V_ONE_622B5715", bytesOf({0x76}));
    Bytes endsIn76FF = block(0x7601, bytesOf({1, 2, 0x76, 0xFF}));
    append(endsIn76FF, block(0x7602, bytesOf({0x76, 0xFF, 0x76, 0xFF})));
    expectRoundTrip("V_76FF_622B5715", endsIn76FF);
}

// ---- Every EU sample through keys of every form ------------------------------

namespace {

bool isKeysOwnFile(const std::string& name) {
    return name.find("TREP") != std::string::npos || name.find("oltrexlog") != std::string::npos;
}

}  // namespace

TEST(SamplesInEveryKeyForm, AreFiledWholeUnderTheSameNamesWithTheirEuFiles) {
    const SampleKeyFiles samples = sampleKeyFiles();
    if (samples.files.empty()) GTEST_SKIP() << "no sample folder ($OLTREX_SAMPLES)";

    std::map<std::string, std::vector<fs::path>>
        filedByForm;  // firmware -> containers and EU files
    for (const char* firmware : {"0110", "0150", "0830", "0850"}) {
        SCOPED_TRACE(std::string("firmware ") + firmware);
        SimulatedRig rig;
        rig.makeKey(samples.files, "OX", firmware);
        const ConsoleOutcome run = runConsole(rig, downloadOptions());
        EXPECT_EQ(run.status, oltrex::console::kExitAllFiled) << run.output;
        for (const auto& left : rig.keyFileNames())
            EXPECT_TRUE(isKeysOwnFile(left)) << "left on the key";

        int compared = 0;
        for (const auto& c : rig.filesIn(rig.containers)) {
            const auto read = oltrex::dlc::readContainerFile(c);
            EXPECT_TRUE(read.ok()) << read.message;
            EXPECT_TRUE(read.value.warnings.empty());
        }
        for (const auto& f : samples.files) {
            const std::string expected =
                expectedContainerName(f.name, f.bytes, {2024, 5, 6, 7, 8, 9, 0}, 110);
            const fs::path container = rig.containers / expected;
            const fs::path eu = rig.containers / "EU" / expectedEuName(expected);
            ASSERT_TRUE(fs::exists(container)) << "a sample has no container under its name";
            ASSERT_TRUE(fs::exists(eu)) << "a sample has no EU file under its name";
            const Bytes& original = samples.originals.at(f.name);
            const auto read = oltrex::dlc::readContainerFile(container);
            ASSERT_TRUE(read.ok());
            EXPECT_TRUE(oltrex::dlc::euDownloadFile(read.value) == original)
                << "the container is not the sample";
            if (!isCardKeyFile(f.bytes) || inTableLayout(original)) {
                EXPECT_TRUE(readBytes(eu) == original) << "the EU file is not the sample";
                ++compared;
            }
        }
        EXPECT_GT(compared, 0);
        EXPECT_EQ(rig.filesIn(rig.containers).size(), samples.files.size());
        EXPECT_FALSE(fs::exists(rig.containers / oltrex::kKeptFilesFolder));
        for (const fs::path& folder : {rig.containers, rig.containers / "EU"})
            for (const fs::path& p : rig.filesIn(folder))
                filedByForm[firmware].push_back(fs::relative(p, rig.root.path()));
    }
    for (const auto& [firmware, filed] : filedByForm)
        EXPECT_TRUE(filed == filedByForm.at("0110"))
            << "firmware " << firmware << " files under other names";
}
