// EU download samples, put into the key's form, go through the container
// maker and come back unchanged: the container holds the card image or the
// blocks, the EU file equals the sample byte for byte. The samples are real
// people's data: nothing of their content is printed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "maker_support.h"
#include "oltrex/dlcreader/ContainerReader.h"

#if OLTREX_WITH_EU_WALKER
#include "oltrex/testdata/EuWalker.h"
#include "oltrex/testdata/KeyForm.h"
#endif

namespace oltrex::testing {
namespace {

std::vector<fs::path> samples() {
    std::vector<fs::path> found;
    const char* folder = std::getenv("OLTREX_SAMPLES");
    std::error_code ec;
    if (folder == nullptr || !fs::is_directory(folder, ec)) return found;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && ext != ".md") found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool isVehicleUnitSample(const Bytes& file) { return !file.empty() && file[0] == 0x76; }

class MakerOnSamples : public MakerTest {
protected:
    void SetUp() override {
        MakerTest::SetUp();
        files = samples();
        if (files.empty()) GTEST_SKIP() << "no samples: $OLTREX_SAMPLES is not set or empty";
        const char* bin = std::getenv("OLTREX_BIN");
        const std::string library = std::string(bin ? bin : ".") + "/" + kCipherLibraryName;
        if (fs::exists(library)) {
            useHime = true;
            himeLibrary = library;
        }
    }

    std::unique_ptr<ConversionContext> context(int mode) {
        ContextOptions options;
        options.settings = &settings;
        options.clock = &clock;
        options.workFolder = folders.work;
        if (useHime) {
            options.cipherLibrary = himeLibrary;
        } else {
            options.cipherTable = &table;
        }
        auto made = std::make_unique<ConversionContext>(options);
        made->mode = mode;
        return made;
    }

    // Files `keyForm` in both modes; the container's and the EU file's bytes.
    bool fileBoth(const std::string& localName, const Bytes& keyForm, Bytes& container, Bytes& euFile) {
        for (int mode : {0, 1}) {
            writeFile(folders.work / localName, keyForm);
            auto made = context(mode);
            path = (folders.work / localName).string();
            if (buildContainer(*made, path, localName, 120) != 0) return false;
            if (fs::path(path).parent_path() != (mode == 0 ? folders.containers : folders.containers / "EU")) {
                return false;
            }
            (mode == 0 ? container : euFile) = readFile(path);
        }
        return true;
    }

    std::vector<fs::path> files;
    bool useHime = false;
    std::string himeLibrary;
};

TEST_F(MakerOnSamples, EveryCardSampleComesBackUnchanged) {
    int cards = 0;
    for (const auto& sample : files) {
        const Bytes file = readFile(sample);
        if (isVehicleUnitSample(file)) continue;
        ++cards;
        SCOPED_TRACE("card sample " + std::to_string(cards));
        Bytes container, euFile;
        ASSERT_TRUE(fileBoth("C_SAMPLE_623B1A2C", keyCard(file), container, euFile));
        auto read = dlc::readContainer(container);
        ASSERT_TRUE(read.ok()) << dlc::errorName(read.error);
        EXPECT_TRUE(read.value.cardImage == file);
        EXPECT_TRUE(euFile == file);
        EXPECT_TRUE(filesIn(folders.work).empty());
    }
    EXPECT_GT(cards, 0);
}

TEST_F(MakerOnSamples, EveryVehicleUnitSampleComesBackByteForByte) {
#if !OLTREX_WITH_EU_WALKER
    GTEST_SKIP() << "the EU structure walker of the test data library is not built";
#else
    int units = 0;
    for (const auto& sample : files) {
        const Bytes file = readFile(sample);
        if (!isVehicleUnitSample(file)) continue;
        ++units;
        SCOPED_TRACE("vehicle-unit sample " + std::to_string(units));
        testdata::WalkError error;
        auto layout = testdata::walkEuFile(file, error);
        ASSERT_TRUE(layout.has_value()) << "walk failed at offset " << error.offset;
        std::vector<testdata::VehicleUnitBlock> blocks;
        for (const auto& block : layout->blocks) {
            const auto begin = file.begin() + static_cast<std::ptrdiff_t>(block.offset + 2);
            blocks.push_back({block.tag, Bytes(begin, begin + static_cast<std::ptrdiff_t>(block.dataSize))});
        }
        Bytes container, euFile;
        const std::string localName = "V_SAMPLE_2024-10-29_13-36-34.2";
        ASSERT_TRUE(fileBoth(localName, testdata::keyVehicleUnitFile(blocks), container, euFile));
        EXPECT_TRUE(euFile == file);
        auto read = dlc::readContainer(container);
        ASSERT_TRUE(read.ok()) << dlc::errorName(read.error);
        ASSERT_EQ(read.value.blocks.size(), blocks.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(read.value.blocks[i].tag, blocks[i].tag);
            EXPECT_TRUE(read.value.blocks[i].data == blocks[i].data);
        }
        const bool secondGeneration = blocks.front().tag >= 0x7621;
        const std::string name = filedName();
        if (secondGeneration) {
            EXPECT_TRUE(name == "V_SAMPLE_2024-10-29_13-36-34.DDD");
        } else {
            EXPECT_TRUE(name.rfind("M_", 0) == 0 && name.size() > 28 &&
                        name.compare(name.size() - 4, 4, ".DDD") == 0);
        }
    }
    EXPECT_GT(units, 0);
#endif
}

}  // namespace
}  // namespace oltrex::testing
