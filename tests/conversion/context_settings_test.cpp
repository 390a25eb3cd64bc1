// The conversion context: settings it reads and the cipher library it loads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "maker_support.h"

namespace oltrex::testing {
namespace {

std::string binFolder() {
    const char* bin = std::getenv("OLTREX_BIN");
    return bin ? bin : ".";
}

class ContextTest : public ::testing::Test {
protected:
    ConversionContext make(const CipherEntryPoints* table = &fullTable) {
        ContextOptions options;
        options.settings = &settings;
        options.clock = &clock;
        options.cipherTable = table;
        return ConversionContext(options);
    }
    std::unique_ptr<ConversionContext> load(const std::string& library) {
        ContextOptions options;
        options.settings = &settings;
        options.clock = &clock;
        options.cipherLibrary = library;
        options.workFolder = folders.work;
        return std::make_unique<ConversionContext>(options);
    }
    int installationClassFor(const std::string& instTyp) {
        settings.set(kTachographSettingsPath, "InstTyp", instTyp);
        return make().installationClass();
    }

    static inline CipherEntryPoints fullTable = FakeCipher::table();
    RunFolders folders;
    MemorySettings settings;
    FixedClock clock;
};

TEST_F(ContextTest, InstallationClassIsTenOnlyForExactlyBEH) {
    EXPECT_EQ(installationClassFor("BEH"), 10);
    EXPECT_EQ(installationClassFor("beh"), 5);
    EXPECT_EQ(installationClassFor("BEH "), 5);
    EXPECT_EQ(installationClassFor(" BEH"), 5);
    EXPECT_EQ(installationClassFor(""), 5);
    EXPECT_EQ(installationClassFor("BEHX"), 5);
}

TEST_F(ContextTest, MissingSettingsGiveClassFiveAndNoLanguage) {
    auto context = make();
    EXPECT_EQ(context.installationClass(), 5);
    EXPECT_EQ(context.language(), "");
    EXPECT_EQ(context.folder, "");
    EXPECT_EQ(context.mode, 0);
}

TEST_F(ContextTest, FolderStartsWithTheInstallationTypeAndLanguageIsRead) {
    settings.set(kTachographSettingsPath, "InstTyp", "BEH");
    settings.set(kKeySettingsPath, "Language", "ES");
    auto context = make();
    EXPECT_EQ(context.folder, "BEH");
    EXPECT_EQ(context.language(), "ES");
}

TEST_F(ContextTest, CompleteEntryPointTableMakesTheContextUsable) {
    auto context = make();
    EXPECT_EQ(context.unusable(), 0);
    EXPECT_TRUE(context.cipher().complete());
}

TEST_F(ContextTest, TableLackingAnyOneEntryPointLeavesTheContextUnusable) {
    for (int missing = 0; missing < 6; ++missing) {
        CipherEntryPoints table = FakeCipher::table();
        switch (missing) {
            case 0: table.putRegAdd = nullptr; break;
            case 1: table.getReg = nullptr; break;
            case 2: table.regGetLen = nullptr; break;
            case 3: table.encryptAesCbc = nullptr; break;
            case 4: table.decryptAesCbc = nullptr; break;
            default: table.regClear = nullptr; break;
        }
        auto context = make(&table);
        EXPECT_EQ(context.unusable(), -1) << "missing entry point " << missing;
    }
}

TEST_F(ContextTest, MissingLibraryLeavesTheContextUnusable) {
    auto context = load("libhime-that-does-not-exist.so");
    EXPECT_EQ(context->unusable(), -1);
    EXPECT_FALSE(context->cipher().complete());
}

TEST_F(ContextTest, LibraryLackingOneEntryPointLeavesTheContextUnusable) {
    const std::string library = binFolder() + "/" OLTREX_INCOMPLETE_CIPHER;
    ASSERT_TRUE(fs::exists(library)) << library;
    auto context = load(library);
    EXPECT_EQ(context->unusable(), -1);
}

TEST_F(ContextTest, CipherLibraryIsFoundByItsNameNextToTheProgram) {
    if (!fs::exists(binFolder() + "/" + kCipherLibraryName)) GTEST_SKIP() << kCipherLibraryName << " not built";
    auto context = load(kCipherLibraryName);
    EXPECT_EQ(context->unusable(), 0);
}

TEST_F(ContextTest, UnusableContextFailsEveryRunWithoutTouchingTheFile) {
    settings.set(kTachographSettingsPath, "ContainerPath", folders.containerSetting());
    auto context = load("libhime-that-does-not-exist.so");
    const fs::path local = folders.work / "V_ABC_622B5715";
    Bytes file;
    putBlock(file, 0x7601, overviewGen1("ABC"));
    writeFile(local, file);
    for (int mode : {0, 1}) {
        context->mode = mode;
        std::string path = local.string();
        EXPECT_EQ(buildContainer(*context, path, "V_ABC_622B5715", 120), -1);
        EXPECT_EQ(path, local.string());
    }
    EXPECT_EQ(readFile(local), file);
    EXPECT_TRUE(filesIn(folders.containers).empty());
}

TEST_F(ContextTest, ContainerRunLockIsOneProcessWideMutex) {
    EXPECT_EQ(&containerRunMutex(), &containerRunMutex());
    std::unique_lock<std::mutex> held(containerRunMutex());
    bool otherThreadGotIt = true;
    std::thread other([&] {
        otherThreadGotIt = containerRunMutex().try_lock();
        if (otherThreadGotIt) containerRunMutex().unlock();
    });
    other.join();
    EXPECT_FALSE(otherThreadGotIt);
}

}  // namespace
}  // namespace oltrex::testing
