// Downloads from the simulated key through the real container maker and
// cipher library; containers are read back with the container reader.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ExpectedForms.h"
#include "SimulatedRig.h"
#include "oltrex/conversion/CardConverter.h"
#include "oltrex/keyfetch/SessionPoller.h"
#include "oltrex/testdata/DemoKey.h"

using namespace kftest;
using oltrex::SessionState;
namespace td = oltrex::testdata;

namespace {

const oltrex::LocalTime kNow{2024, 5, 6, 7, 8, 9, 0};

bool isKeysOwnFile(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("trep") != std::string::npos || lower.find("oltrexlog") != std::string::npos;
}

std::vector<td::KeyFile> usableDemoFiles() {
    std::vector<td::KeyFile> out;
    for (auto& f : td::demoKeyFiles())
        if (!isKeysOwnFile(f.name)) out.push_back(f);
    return out;
}

// The EU download a container holds, read back with the container reader.
Bytes containerContent(const fs::path& path) {
    const auto read = oltrex::dlc::readContainerFile(path);
    EXPECT_TRUE(read.ok()) << path << ": " << read.message;
    return read.ok() ? oltrex::dlc::euDownloadFile(read.value) : Bytes{};
}

// The content of a container behind its header record, byte for byte.
Bytes rawContainerContent(const fs::path& path) {
    const Bytes file = readBytes(path);
    const auto plain = oltrex::dlc::decryptOuterLayer(file);
    EXPECT_TRUE(plain.ok()) << path << ": " << plain.message;
    if (!plain.ok() || plain.value.size() < 6) return {};
    const Bytes& p = plain.value;
    const std::size_t header =
        4 + (std::size_t(p[0]) << 24 | std::size_t(p[1]) << 16 | std::size_t(p[2]) << 8 | p[3]);
    return header <= p.size() ? Bytes(p.begin() + static_cast<long>(header), p.end()) : Bytes{};
}

// What a container of a key file holds behind its header: the blocks with
// their length fields, or the card image.
Bytes rawContent(const Bytes& keyFile) {
    if (isCardKeyFile(keyFile)) return cardImageOfKeyFile(keyFile);
    Bytes out;
    for (const auto& b : keyBlocks(keyFile)) {
        if (b.data.empty()) continue;
        const std::uint32_t n = static_cast<std::uint32_t>(b.data.size() + 2);
        append(out, bytesOf({int(n >> 24), int((n >> 16) & 0xFF), int((n >> 8) & 0xFF),
                             int(n & 0xFF), b.tag >> 8, b.tag & 0xFF}));
        append(out, b.data);
    }
    return out;
}

// What a container of a plain key file holds.
Bytes plainContent(const Bytes& keyFile) {
    return isCardKeyFile(keyFile) ? cardImageOfKeyFile(keyFile) : euVehicleUnit(keyBlocks(keyFile));
}

std::multiset<Bytes> rawContentsOf(const std::vector<fs::path>& containers) {
    std::multiset<Bytes> out;
    for (const auto& c : containers) out.insert(rawContainerContent(c));
    return out;
}

Bytes converted(const Bytes& image) {
    const oltrex::CTachoConvert converter;
    Bytes out;
    out.resize(converter.convert(image.data(), &out, image.size(), nullptr));
    return out;
}

std::string firstDifference(const Bytes& a, const Bytes& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at " + std::to_string(i);
}

}  // namespace

TEST(DemoKeyDownload, filesEveryUsableFileUnderItsNameWithItsEuFileAndEmptiesTheKey) {
    SimulatedRig rig;
    rig.makeKey(td::demoKeyFiles());
    std::vector<oltrex::SessionDisplay> shown;
    oltrex::ActivityAnimation bar;
    oltrex::SessionPoller poller(*rig.session, bar, [&](const oltrex::SessionView& v) {
        if (shown.empty() || !(shown.back() == v.display)) shown.push_back(v.display);
    });
    for (int i = 0; i < 5; ++i) poller.stepOnce();
    const auto usable = usableDemoFiles();
    const int n = static_cast<int>(usable.size());
    ASSERT_EQ(rig.session->usableCount(), n);
    ASSERT_TRUE(rig.session->start(true));
    for (int i = 0; i < n + 2; ++i) poller.stepOnce();  // every file, then look and read again

    for (const auto& f : usable) {
        const std::string name = expectedContainerName(f.name, f.bytes, kNow, 120);
        SCOPED_TRACE(f.name + " -> " + name);
        ASSERT_TRUE(fs::exists(rig.containers / name));
        EXPECT_EQ(containerContent(rig.containers / name), plainContent(f.bytes));
        const fs::path eu = rig.containers / "EU" / expectedEuName(name);
        ASSERT_TRUE(fs::exists(eu));
        // A card's EU file is the card converter's EU layout of its image.
        const Bytes euExpected = isCardKeyFile(f.bytes) ? converted(cardImageOfKeyFile(f.bytes))
                                                        : euVehicleUnit(keyBlocks(f.bytes));
        const Bytes euFiled = readBytes(eu);
        EXPECT_TRUE(euFiled == euExpected) << firstDifference(euFiled, euExpected);
    }
    EXPECT_EQ(rig.filesIn(rig.containers).size(), usable.size());
    EXPECT_EQ(rig.filesIn(rig.containers / "EU").size(), usable.size());
    for (const auto& left : rig.keyFileNames()) EXPECT_TRUE(isKeysOwnFile(left)) << left;
    EXPECT_EQ(rig.keyFileNames().size(), 2u);
    EXPECT_TRUE(rig.filesIn(rig.work).empty());

    // The download counter counts down file by file, the percentage rises to 100.
    std::vector<std::string> counters;
    int lastPercent = 0;
    bool rising = true;
    for (const auto& d : shown) {
        if (counters.empty() || counters.back() != d.downloadCounter)
            counters.push_back(d.downloadCounter);
        if (d.downloadCounter != "..." &&
            d.downloadCounter.find(" / " + std::to_string(n)) != std::string::npos &&
            d.downloadCounter != std::to_string(n) + " / " + std::to_string(n)) {
            rising = rising && d.percent >= lastPercent;
            lastPercent = d.percent;
        }
    }
    std::vector<std::string> expected = {"..."};
    for (int left = n; left >= 0; --left)
        expected.push_back(std::to_string(left) + " / " + std::to_string(n));
    expected.push_back("...");
    expected.push_back("0 / 0");
    EXPECT_EQ(counters, expected);
    EXPECT_TRUE(rising);
    EXPECT_EQ(lastPercent, 100);
}

TEST(DemoKeyDownload, keepsTheKeyUnchangedWithNoDelete) {
    SimulatedRig rig({.noDelete = true, .containerPath = std::nullopt});
    rig.makeKey(td::demoKeyFiles());
    const auto before = rig.keyFileNames();
    rig.readKey();
    rig.download(false);
    EXPECT_TRUE(rig.session->lastRun().allFiled());
    EXPECT_EQ(rig.filesIn(rig.containers).size(), usableDemoFiles().size());
    EXPECT_EQ(rig.keyFileNames(), before);
    for (int i = 0; i < 2; ++i) rig.session->step();  // look, read
    EXPECT_EQ(rig.session->usableCount(), static_cast<int>(usableDemoFiles().size()));
}

struct KeyKind {
    const char* series;
    const char* firmware;
    bool secure;
};

class KeyKindDownload : public ::testing::TestWithParam<KeyKind> {};

// Whatever form the key hands its files out in, the same files are filed
// under the same names.
TEST_P(KeyKindDownload, filesTheSameContainersUnderTheSameNamesAsAPlainKey) {
    const KeyKind kind = GetParam();
    SimulatedRig rig;
    const auto files = usableDemoFiles();
    rig.makeKey(files, kind.series, kind.firmware);
    rig.readKey();
    ASSERT_EQ(rig.session->secure(), kind.secure);
    rig.download(false);
    EXPECT_TRUE(rig.session->lastRun().allFiled());
    EXPECT_TRUE(rig.keyFileNames().empty());

    std::multiset<Bytes> expected;
    for (const auto& f : files) {
        expected.insert(rawContent(f.bytes));
        const std::string name =
            expectedContainerName(f.name, f.bytes, kNow, std::atoi(kind.firmware));
        ASSERT_TRUE(fs::exists(rig.containers / name)) << f.name << " -> " << name;
        EXPECT_EQ(containerContent(rig.containers / name), plainContent(f.bytes)) << name;
    }
    EXPECT_TRUE(rawContentsOf(rig.filesIn(rig.containers)) == expected);
}

INSTANTIATE_TEST_SUITE_P(PlainProtectedSecureAndBoth, KeyKindDownload,
                         ::testing::Values(KeyKind{"OX", "0120", false},
                                           KeyKind{"OX", "0150", false},
                                           KeyKind{"OX", "0830", true}, KeyKind{"OX", "0850", true},
                                           KeyKind{"OB", "0102", true}),
                         [](const ::testing::TestParamInfo<KeyKind>& info) {
                             return std::string(info.param.series) + info.param.firmware;
                         });

TEST(FailuresOnTheSimulatedKey, leaveAFileWhoseReadFailsOnTheKeyAndOfferItAgain) {
    SimulatedRig rig;
    const auto files = usableDemoFiles();
    rig.makeKey(files);
    const std::string failing = "V_C37719C_62289EFD";
    oltrex::simkey::KeyFaults faults;
    faults.failRead = {failing};
    ASSERT_TRUE(oltrex::simkey::setFaults(rig.keyFolder, faults));
    rig.readKey();
    rig.download(false);
    const auto run = rig.session->lastRun();
    EXPECT_EQ(run.filedCount(), static_cast<int>(files.size()) - 1);
    for (const auto& f : run.files)
        EXPECT_EQ(f.outcome == oltrex::FileOutcome::ReadFailed, f.name == failing) << f.name;
    EXPECT_EQ(rig.keyFileNames(), std::vector<std::string>{failing});

    ASSERT_TRUE(oltrex::simkey::setFaults(rig.keyFolder, {}));
    for (int i = 0; i < 2; ++i) rig.session->step();
    ASSERT_EQ(rig.session->fileList().size(), 1u);
    EXPECT_EQ(rig.session->fileList()[0].name, failing);
    rig.download(false);
    EXPECT_TRUE(rig.keyFileNames().empty());
    EXPECT_EQ(rig.filesIn(rig.containers).size(), files.size());
}

TEST(FailuresOnTheSimulatedKey, stopTheRunWhenTheKeyIsUnpluggedAndLoseNothing) {
    SimulatedRig rig;
    const auto files = usableDemoFiles();
    rig.makeKey(files);
    rig.readKey();
    ASSERT_TRUE(rig.session->start(true));
    rig.session->step();
    rig.session->step();
    const fs::path away = rig.root / "pulled";
    fs::rename(rig.keyFolder, away);
    rig.session->step();
    EXPECT_EQ(rig.session->state(), SessionState::Look);
    EXPECT_TRUE(rig.session->lastRun().keyLost);
    rig.session->step();
    EXPECT_EQ(rig.session->state(), SessionState::Look);
    EXPECT_EQ(rig.session->display().keyNumber, "...");

    EXPECT_EQ(rig.filesIn(rig.containers).size(), 2u);
    for (const auto& c : rig.filesIn(rig.containers)) EXPECT_FALSE(containerContent(c).empty());
    fs::rename(away, rig.keyFolder);
    EXPECT_EQ(rig.keyFileNames().size(), files.size() - 2);
    EXPECT_TRUE(rig.filesIn(rig.work).empty());
}

TEST(FailuresOnTheSimulatedKey, letNoFileLeaveTheKeyWhenTheContainerFolderIsUnwritable) {
    TempFolder elsewhere;
    writeBytes(elsewhere / "blocker", {1});
    SimulatedRig rig(
        {.noDelete = false, .containerPath = (elsewhere / "blocker" / "containers").string()});
    rig.makeKey(td::demoKeyFiles());
    const auto before = rig.keyFileNames();
    rig.readKey();
    rig.download(true);
    EXPECT_EQ(rig.session->lastRun().filedCount(), 0);
    EXPECT_EQ(rig.keyFileNames(), before);
    EXPECT_TRUE(rig.filesIn(rig.work).empty());
}
