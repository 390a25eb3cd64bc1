// The container store against a container maker of the test's own, which
// files under names the test chooses.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "KeyFetchFakes.h"
#include "oltrex/conversion/ContainerMaker.h"
#include "oltrex/keyfetch/ContainerStore.h"

using namespace kftest;
using oltrex::ConversionContext;
using oltrex::FilingRequest;

namespace {

class ContainerStoreTest : public ::testing::Test {
  protected:
    TempFolder work;
    TempFolder containers;
    FakeKey key;
    ManualClock clock;
    std::string containerName = "V_AB_2022-03-11_14-05-09.dlc";
    std::string euName = "M_AB_2022-03-11_14-05-09.DDD";
    int makerCalls = 0;
    std::vector<int> modes;
    std::function<int(ConversionContext&, std::string&)> makerOverride;

    oltrex::MemorySettings settings;

    oltrex::ContextOptions options(bool usable = true) {
        oltrex::ContextOptions o;
        static const oltrex::CipherEntryPoints incomplete{};
        o.cipherTable = usable ? &idleCipherTable() : &incomplete;
        o.workFolder = work.path();
        settings.set(oltrex::kTachographSettingsPath, "ContainerPath", containers.path().string());
        o.settings = &settings;
        return o;
    }

    // Files the local file's bytes under the chosen name, as the maker does:
    // the product is complete before the local file goes.
    int fakeMaker(ConversionContext& context, std::string& path, std::string_view, int) {
        ++makerCalls;
        modes.push_back(context.mode);
        if (makerOverride) return makerOverride(context, path);
        const Bytes content = readBytes(path);
        if (content.empty()) return -1;
        fs::path folder = containers.path();
        context.folder = folder.string() + "/";
        std::string name = containerName;
        if (context.mode == 1) {
            folder /= "EU";
            context.folder += "EU/";
            name = name.substr(0, name.rfind('.')) + ".DDD";
        }
        fs::create_directories(folder);
        std::string filed = (folder / name).string();
        for (int i = 1; fs::exists(filed); ++i)
            filed = (folder / (name.substr(0, name.rfind('.')) + "[" + std::to_string(i) + "]" +
                               name.substr(name.rfind('.'))))
                        .string();
        writeBytes(filed, content);
        fs::remove(path);
        path = filed;
        context.untaken = untaken;
        return 0;
    }
    std::string untaken;  // what the fake maker reports it could not take

    oltrex::ContainerStore store(bool usable = true) {
        return oltrex::ContainerStore(
            key, options(usable), clock,
            [this](ConversionContext& c, std::string& p, std::string_view k, int f) {
                return fakeMaker(c, p, k, f);
            });
    }

    FilingRequest request(const Bytes& content, bool makeEu = false) {
        const fs::path local = work / "V_AB_623B1A2C";
        writeBytes(local, content);
        key.files["V_AB_623B1A2C"] = content;
        FilingRequest r;
        r.localPath = local.string();
        r.kindName = "V_AB_623B1A2C";
        r.keyName = "V_AB_623B1A2C";
        r.firmwareNumber = 120;
        r.makeEuFile = makeEu;
        return r;
    }

    std::vector<std::string> workFiles() {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(work.path()))
            names.push_back(e.path().filename().string());
        return names;
    }
};

}  // namespace

TEST_F(ContainerStoreTest, filesTheContainerAndOnlyThenDeletesTheFileFromTheKey) {
    const Bytes content = vehicleFile({0x7601});
    bool containerThereAtDelete = false;
    key.onDelete = [&](const std::string&) {
        containerThereAtDelete = readBytes(containers / containerName) == content;
    };
    auto s = store();
    const auto result = s.fileDownloadedFile(request(content));
    EXPECT_EQ(result.containerResult, 0);
    EXPECT_EQ(result.containerPath, (containers / containerName).string());
    EXPECT_TRUE(result.deleteCalled);
    EXPECT_TRUE(containerThereAtDelete);
    EXPECT_EQ(key.callsNamed("deleteFile"), std::vector<std::string>{"deleteFile V_AB_623B1A2C"});
    EXPECT_TRUE(key.files.empty());
    EXPECT_TRUE(workFiles().empty());  // no local file, no safety copy
}

TEST_F(ContainerStoreTest, keepsTheFileOnTheKeyWithNoDelete) {
    auto s = store();
    auto r = request(vehicleFile({0x7601}));
    r.noDelete = true;
    EXPECT_TRUE(s.fileDownloadedFile(r).filed());
    EXPECT_TRUE(key.callsNamed("deleteFile").empty());
    EXPECT_EQ(key.files.size(), 1u);
}

TEST_F(ContainerStoreTest, givesUpAfterTenFailedAttemptsAndLeavesTheFileOnTheKey) {
    makerOverride = [](ConversionContext&, std::string& path) {
        fs::remove(path);  // the maker consumed the file and failed
        return -13;
    };
    auto s = store();
    const auto result = s.fileDownloadedFile(request(vehicleFile({0x7601})));
    EXPECT_EQ(result.containerResult, -13);
    EXPECT_EQ(makerCalls, 10);
    EXPECT_EQ(clock.tick, 1000u + 9 * 10);  // 10 ms between attempts
    EXPECT_TRUE(key.callsNamed("deleteFile").empty());
    EXPECT_TRUE(workFiles().empty());
}

TEST_F(ContainerStoreTest, restoresTheLocalFileFromItsSafetyCopyForTheNextAttempt) {
    const Bytes content = vehicleFile({0x7601, 0x7602});
    std::vector<Bytes> seen;
    makerOverride = [&](ConversionContext& c, std::string& path) {
        seen.push_back(readBytes(path));
        if (seen.size() < 3) {
            fs::remove(path);
            return -2;
        }
        makerOverride = nullptr;
        return fakeMaker(c, path, "", 0);
    };
    auto s = store();
    EXPECT_TRUE(s.fileDownloadedFile(request(content)).filed());
    ASSERT_EQ(seen.size(), 3u);
    for (const Bytes& b : seen) EXPECT_EQ(b, content);
}

TEST_F(ContainerStoreTest, doesNotTakeSuccessWithoutAFiledFileForSuccess) {
    makerOverride = [](ConversionContext&, std::string& path) {
        path += ".nowhere";
        return 0;
    };
    auto s = store();
    const auto result = s.fileDownloadedFile(request(vehicleFile({0x7601})));
    EXPECT_FALSE(result.filed());
    EXPECT_TRUE(key.callsNamed("deleteFile").empty());
}

TEST_F(ContainerStoreTest, failsAtOnceWithAnUnusableContext) {
    auto s = store(false);
    const auto result = s.fileDownloadedFile(request(vehicleFile({0x7601})));
    EXPECT_EQ(result.containerResult, -1);
    EXPECT_EQ(makerCalls, 0);
    EXPECT_TRUE(key.callsNamed("deleteFile").empty());
    EXPECT_TRUE(workFiles().empty());
}

TEST_F(ContainerStoreTest, filesTheEuFileUnderTheContainersNameWithMInsteadOfV) {
    const Bytes content = vehicleFile({0x7621});
    containerName = "V_AB_2024-01-02_03-04-05.dlc";
    auto s = store();
    const auto result = s.fileDownloadedFile(request(content, true));
    EXPECT_EQ(modes, (std::vector<int>{0, 1}));
    EXPECT_EQ(result.euResult, 0);
    EXPECT_EQ(result.euPath, (containers / "EU" / "M_AB_2024-01-02_03-04-05.DDD").string());
    EXPECT_EQ(readBytes(result.euPath), content);
    EXPECT_TRUE(workFiles().empty());  // no .tmpdlt copy left
}

TEST_F(ContainerStoreTest, dropsTheCollisionNumberOfAContainerFromItsEuName) {
    fs::create_directories(containers / "EU");
    containerName = "V_AB_T.dlc";
    writeBytes(containers / containerName, {1});
    writeBytes(containers / "V_AB_T[1].dlc", {1});  // the fake maker files as V_AB_T[2].dlc
    auto s = store();
    const auto result = s.fileDownloadedFile(request(vehicleFile({0x7601}), true));
    EXPECT_EQ(fs::path(result.containerPath).filename(), "V_AB_T[2].dlc");
    EXPECT_EQ(fs::path(result.euPath).filename(), "M_AB_T.DDD");

    // The next one finds M_AB_T.DDD taken and numbers its EU file.
    const auto second = s.fileDownloadedFile(request(vehicleFile({0x7601}), true));
    EXPECT_EQ(fs::path(second.containerPath).filename(), "V_AB_T[3].dlc");
    EXPECT_EQ(fs::path(second.euPath).filename(), "M_AB_T[1].DDD");
}

TEST_F(ContainerStoreTest, neverReplacesAnExistingEuFile) {
    fs::create_directories(containers / "EU");
    containerName = "V_AB_T.dlc";
    const Bytes older = bytesOf({9, 9, 9});
    writeBytes(containers / "EU" / "M_AB_T.DDD", older);
    auto s = store();
    const auto result = s.fileDownloadedFile(request(vehicleFile({0x7601}), true));
    EXPECT_EQ(readBytes(containers / "EU" / "M_AB_T.DDD"), older);
    EXPECT_EQ(fs::path(result.euPath).filename(), "V_AB_T.DDD");  // the name the maker gave it
}

TEST_F(ContainerStoreTest, writesAConvertedCardImageAsTheCardsEuFile) {
    containerName = "C_Doe_John_2022-03-11_14-05-09.dlc";
    auto r = request(bytesOf({0x76, 0x06, 1, 2, 3, 0x76, 0xFF, 0x76, 0xFF}), true);
    r.cardImage = bytesOf({5, 6, 7, 8});
    auto s = store();
    const auto result = s.fileDownloadedFile(r);
    EXPECT_EQ(fs::path(result.euPath).filename(), "C_Doe_John_2022-03-11_14-05-09.DDD");
    EXPECT_EQ(readBytes(result.euPath), r.cardImage);
}

TEST_F(ContainerStoreTest, writesTheCardImageWhereTheEuFileIsAndNeverOverAnotherFile) {
    fs::create_directories(containers / "EU");
    containerName = "C_Doe_John_T.dlc";
    const Bytes older = bytesOf({9, 9, 9});
    writeBytes(containers / "EU" / "C_Doe_John_T.DDD", older);
    auto r = request(bytesOf({0x76, 0x06, 1, 2, 3, 0x76, 0xFF, 0x76, 0xFF}), true);
    r.cardImage = bytesOf({5, 6, 7, 8});
    auto s = store();
    const auto result = s.fileDownloadedFile(r);
    EXPECT_EQ(readBytes(containers / "EU" / "C_Doe_John_T.DDD"), older);
    EXPECT_EQ(fs::path(result.euPath).filename(), "C_Doe_John_T[1].DDD");
    EXPECT_EQ(readBytes(result.euPath), r.cardImage);
}

TEST_F(ContainerStoreTest, makesNoEuFileForAFileThatWasNotFiled) {
    makerOverride = [](ConversionContext&, std::string&) { return -13; };
    auto s = store();
    const auto result = s.fileDownloadedFile(request(vehicleFile({0x7601}), true));
    EXPECT_EQ(modes, std::vector<int>(10, 0));
    EXPECT_TRUE(result.euPath.empty());
}

TEST_F(ContainerStoreTest, neverRunsTwoContainerRunsAtOnce) {
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    makerOverride = [&](ConversionContext& c, std::string& path) {
        if (++inside > 1) overlapped = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::string name = fs::path(path).filename().string() + ".dlc";
        writeBytes(containers / name, readBytes(path));
        fs::remove(path);
        path = (containers / name).string();
        c.folder = containers.path().string() + "/";
        --inside;
        return 0;
    };
    FakeKey otherKey;
    oltrex::ContainerStore first(key, options(), clock,
                                 [&](ConversionContext& c, std::string& p, std::string_view, int) {
                                     return makerOverride(c, p);
                                 });
    oltrex::ContainerStore second(otherKey, options(), clock,
                                  [&](ConversionContext& c, std::string& p, std::string_view, int) {
                                      return makerOverride(c, p);
                                  });
    auto job = [&](oltrex::ContainerStore& s, const std::string& prefix) {
        for (int i = 0; i < 5; ++i) {
            FilingRequest r;
            r.localPath = (work / (prefix + std::to_string(i))).string();
            writeBytes(r.localPath, vehicleFile({0x7601}));
            r.keyName = r.kindName = prefix + std::to_string(i);
            r.noDelete = true;
            EXPECT_TRUE(s.fileDownloadedFile(r).filed());
        }
    };
    std::thread a(job, std::ref(first), "V_A");
    std::thread b(job, std::ref(second), "V_B");
    a.join();
    b.join();
    EXPECT_FALSE(overlapped);
}

// ---- Files the maker cannot take whole ---------------------------------------

namespace {

class NotWholeTest : public ContainerStoreTest {
  protected:
    const Bytes raw = bytesOf({0x76, 0x01, 1, 2, 3});  // as the key gave it
    fs::path kept = containers / oltrex::kKeptFilesFolder / "V_AB_623B1A2C";

    FilingRequest notWhole(bool makeEu = false) {
        untaken = "the block 0x7601 at offset 0 has no end marker";
        FilingRequest r = request(vehicleFile({0x7601}), makeEu);
        writeBytes(work / "V_AB_623B1A2C.key", raw);
        r.rawPath = (work / "V_AB_623B1A2C.key").string();
        return r;
    }
};

}  // namespace

TEST_F(NotWholeTest, filesWhatCanBeFiledKeepsTheKeyFileAndOnlyThenDeletesIt) {
    TraceRecorder trace;
    bool keptAtDelete = false;
    key.onDelete = [&](const std::string&) { keptAtDelete = readBytes(kept) == raw; };
    auto s = store();
    const auto result = s.fileDownloadedFile(notWhole(true));
    EXPECT_TRUE(result.filed());
    EXPECT_FALSE(result.whole());
    EXPECT_EQ(result.untaken, "the block 0x7601 at offset 0 has no end marker");
    EXPECT_EQ(result.keptPath, kept.string());
    EXPECT_FALSE(result.euPath.empty());
    EXPECT_TRUE(keptAtDelete);
    EXPECT_TRUE(key.files.empty());
    EXPECT_TRUE(trace.contains(
        "V_AB_623B1A2C: not all of it could be filed (the block 0x7601 at offset 0 has no "
        "end marker); the key file is kept as " +
        kept.string() + "\r\n"));
}

TEST_F(NotWholeTest, keepsAFileWithNothingToFileAfterOneRunOfTheMaker) {
    makerOverride = [](ConversionContext& c, std::string&) {
        c.untaken = "the file holds no vehicle-unit block with data and no card image";
        return oltrex::kContainerNothingToFile;
    };
    FilingRequest r = request(bytesOf({1, 2, 3}));
    writeBytes(work / "raw", raw);
    r.rawPath = (work / "raw").string();
    auto s = store();
    const auto result = s.fileDownloadedFile(r);
    EXPECT_EQ(makerCalls, 1);
    EXPECT_FALSE(result.filed());
    EXPECT_EQ(readBytes(result.keptPath), raw);
    EXPECT_TRUE(result.deleteCalled);
    EXPECT_TRUE(key.files.empty());
}

TEST_F(NotWholeTest, numbersAKeptFileWhoseNameIsTaken) {
    fs::create_directories(kept.parent_path());
    writeBytes(kept, bytesOf({9}));
    auto s = store();
    const auto result = s.fileDownloadedFile(notWhole());
    EXPECT_EQ(result.keptPath,
              (containers / oltrex::kKeptFilesFolder / "V_AB_623B1A2C[1]").string());
    EXPECT_EQ(readBytes(kept), bytesOf({9}));
    EXPECT_EQ(readBytes(result.keptPath), raw);
}

TEST_F(NotWholeTest, leavesTheFileOnTheKeyWhenItCannotBeKept) {
    writeBytes(containers / oltrex::kKeptFilesFolder,
               bytesOf({1}));  // a file where the folder belongs
    auto s = store();
    const auto result = s.fileDownloadedFile(notWhole());
    EXPECT_TRUE(result.filed());
    EXPECT_FALSE(result.kept());
    EXPECT_FALSE(result.deleteCalled);
    EXPECT_EQ(key.files.size(), 1u);

    auto noCopy = notWhole();
    noCopy.rawPath.clear();
    fs::remove(containers / oltrex::kKeptFilesFolder);
    EXPECT_FALSE(s.fileDownloadedFile(noCopy).deleteCalled);
    EXPECT_EQ(key.files.size(), 1u);
}
