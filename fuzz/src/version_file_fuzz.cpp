// The firmware version file ("#define FIRMWARE \"1.20\"") as the header
// generator reads it, and the header written from the version found.
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/keyrefresh/FirmwareHeader.h"
#include "oltrex/keyrefresh/SRecordImage.h"

namespace {
constexpr const char* kTarget = "version_file";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    static const SRecordImage emptyImage;
    static const fuzz::fs::path folder = fuzz::ScratchFolder::instance().path();
    const fuzz::fs::path versionFile = folder / "fw_version.h";
    fuzz::writeBytes(versionFile, data, size);

    std::ostringstream diagnostics;
    std::string version;
    const int found = getFirmWareVersion(versionFile.string(), version, diagnostics);
    if (found == 0) {
        OLTREX_FUZZ_CHECK(version.size() >= 2 && version.front() == '"' && version.back() == '"',
                          "a version text without its quotes");
        OLTREX_FUZZ_CHECK(
            std::string_view(reinterpret_cast<const char*>(data), size).find(version) !=
                std::string_view::npos,
            "a version text that is not in the file");
    } else {
        OLTREX_FUZZ_CHECK(found == -3 && version.empty(),
                          "an unreadable file or a version without success");
    }
    const fuzz::fs::path header = folder / "fw.h";
    const int generated =
        GenHeaderFileFromFw(emptyImage, versionFile.string(), header.string(), diagnostics);
    OLTREX_FUZZ_CHECK(generated == 0 || generated == -4,
                      "the header could not be written: " + std::to_string(generated));
    if (generated == 0)
        OLTREX_FUZZ_CHECK(found == 0 && version.size() <= kMaxVersionText,
                          "a header of an unusable version");
    return 0;
}
