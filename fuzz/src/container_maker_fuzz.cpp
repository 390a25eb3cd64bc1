// The container maker on arbitrary downloaded files, in both modes, through
// the real cipher library (libhime.so beside this program). A run that
// reports success has filed one complete file inside its folder, and in
// container mode the container opens with the reader and holds the blocks
// the shared block scan finds; a run that fails has filed nothing, and one
// with nothing to file says why.
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "FuzzSupport.h"
#include "oltrex/blockscan/BlockScan.h"
#include "oltrex/conversion/ContainerMaker.h"
#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/keyfetch/KeyDirectory.h"
#include "oltrex/platform/Settings.h"

namespace {
constexpr const char* kTarget = "container_maker";
namespace fs = std::filesystem;

// Names in the key's conventions, and some that stretch them.
constexpr const char* kKeyNames[] = {
    "V_B-AB123_623B1A2C",
    "V_B-AB123_2022-03-23_13-01-32.2",
    "C_DF000012345678_623B1A2C",
    "C_DF000012345678_623B1A2C.2",
    "S_OLTREX_X_Y_Z_623B1A2C",
    "V_oltrex_A_2022-03-23_13-01-32.2",
    "c_lower_case",
    "V",
    "V_a_b_c_d_e_f_g_h.2",
    "VVVV_x",
    "A_NoTime_Z",
    "V_...._....",
};
constexpr const char* kLanguages[] = {"DE", "ES", "EN", "", "XX"};
constexpr int kFirmwares[] = {0, 104, 105, 120, 830, 999};

struct Setup {
    oltrex::MemorySettings settings;
    std::unique_ptr<oltrex::ConversionContext> context;
};

oltrex::fuzz::FixedClock& clock() {
    static oltrex::fuzz::FixedClock c;
    return c;
}

// One context per language and installation type: both are read when the
// context is made. The cipher library is loaded once per context.
Setup& setupFor(const std::string& language, bool beh, const fs::path& containers) {
    static std::map<std::tuple<std::string, bool>, std::unique_ptr<Setup>> setups;
    auto& slot = setups[{language, beh}];
    if (!slot) {
        slot = std::make_unique<Setup>();
        slot->settings.set(oltrex::kTachographSettingsPath, "ContainerPath", containers.string());
        slot->settings.set(oltrex::kTachographSettingsPath, "InstTyp", beh ? "BEH" : "");
        slot->settings.set(oltrex::kKeySettingsPath, "Language", language);
        oltrex::ContextOptions options;
        options.settings = &slot->settings;
        options.clock = &clock();
        slot->context = std::make_unique<oltrex::ConversionContext>(options);
        if (!slot->context->usable()) {
            std::fprintf(stderr,
                         "container_maker: libhime.so could not be loaded beside the program\n");
            std::abort();
        }
    }
    return *slot;
}

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_directory()) names.push_back(it->path().filename().string());
    }
    return names;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    auto& scratch = fuzz::ScratchFolder::instance();
    const fs::path work = scratch.fresh("work");
    const fs::path containers = scratch.fresh("containers");
    fs::create_directory(containers / "EU");

    // Layout (fuzz/seeds writes it): mode, language, installation type,
    // firmware, key name, kind letter, a listed name (text), then the file.
    fuzz::FrontReader in(data, size);
    const int mode = in.u8() & 1;
    const std::string language = kLanguages[in.choice(std::size(kLanguages))];
    const bool beh = in.u8() & 1;
    const int firmware = kFirmwares[in.choice(std::size(kFirmwares))];
    std::string keyName = kKeyNames[in.choice(std::size(kKeyNames))];
    const char kindLetter = in.u8() & 1 ? 'S' : 'V';
    // A name the key lists: any plain file name.
    if (std::string listed = in.text(); isPlainKeyFileName(listed)) keyName = listed;
    std::string kindName = keyName;
    kindName[0] = kindLetter;
    const Bytes file = in.rest();

    Setup& setup = setupFor(language, beh, containers);
    ConversionContext& context = *setup.context;
    context.setWorkFolder(work);
    context.mode = mode;
    const fs::path local = work / keyName;
    fuzz::writeBytes(local, file.data(), file.size());
    std::string path = local.string();

    const int result = buildContainer(context, path, kindName, firmware);

    const fs::path folder = mode == 1 ? containers / "EU" : containers;
    const fs::path other = mode == 1 ? containers : containers / "EU";
    OLTREX_FUZZ_CHECK(filesIn(other).empty(), "a file was filed in the folder of the other mode");
    if (result == kContainerNothingToFile)
        OLTREX_FUZZ_CHECK(!context.untaken.empty(), "nothing to file, and no reason given");
    if (result != kContainerOk) {
        OLTREX_FUZZ_CHECK(path == local.string(), "a failed run changed the path");
        OLTREX_FUZZ_CHECK(filesIn(folder).empty(),
                          "a failed run left a file in the container folder");
        return 0;
    }
    const fs::path filed(path);
    OLTREX_FUZZ_CHECK(filed.parent_path() == folder,
                      "the filed file is not in its folder: " + path);
    const std::string name = filed.filename().string();
    OLTREX_FUZZ_CHECK(!name.empty() && name.front() != '.',
                      "the filed name is empty or a hidden file's: " + path);
    const auto filedNames = filesIn(folder);
    OLTREX_FUZZ_CHECK(filedNames.size() == 1 && filedNames[0] == name,
                      "not exactly the named file was filed");
    OLTREX_FUZZ_CHECK(!fs::exists(local), "the local file is still there after filing");
    OLTREX_FUZZ_CHECK(filesIn(work).empty(), "working files are left in the work folder");
    if (mode == 1) {
        OLTREX_FUZZ_CHECK(name.size() > 4 && name.substr(name.size() - 4) == ".DDD",
                          "an EU file without .DDD: " + name);
        return 0;
    }

    const Bytes container = fuzz::readBytes(filed);
    const auto plain = dlc::decryptOuterLayer(container);
    OLTREX_FUZZ_CHECK(plain.ok(), "the container does not decrypt: " + plain.message);
    const auto opened = dlc::parsePlainContainer(plain.value);
    OLTREX_FUZZ_CHECK(opened.ok() || (opened.error != dlc::ReadError::MissingHeaderRecord &&
                                      opened.error != dlc::ReadError::BadHeaderBlock &&
                                      opened.error != dlc::ReadError::BadPadding &&
                                      opened.error != dlc::ReadError::BadCiphertextLength),
                      "the container's header record does not read back: " + opened.message);
    if (opened.ok() && opened.value.kind == dlc::ContentKind::VehicleUnit) {
        OLTREX_FUZZ_CHECK(opened.value.header.installationClass == (beh ? 10 : 5),
                          "wrong installation class");
        // The blocks of the shared block scan, those with data, in order.
        std::vector<ScannedBlock> expected;
        for (const ScannedBlock& b : scanKeyFile(file).blocks) {
            if (b.dataLength > 0) expected.push_back(b);
        }
        OLTREX_FUZZ_CHECK(opened.value.blocks.size() >= expected.size(),
                          "the container holds fewer blocks than the file");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto& got = opened.value.blocks[i];
            const auto begin = file.begin() + static_cast<long>(expected[i].tagOffset + 2);
            OLTREX_FUZZ_CHECK(
                got.tag == expected[i].tag &&
                    Bytes(begin, begin + static_cast<long>(expected[i].dataLength)) == got.data,
                "block " + std::to_string(i) + " differs from the file's block");
        }
    }
    return 0;
}
