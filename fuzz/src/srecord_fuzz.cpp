// The firmware build's S-record file and the version file as the header
// generator reads them. After a failed parse the image is empty; an accepted
// image never reaches past its buffer.
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/keyrefresh/FirmwareHeader.h"
#include "oltrex/keyrefresh/SRecordImage.h"

namespace {
constexpr const char* kTarget = "srecord";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    static SRecordImage image;
    static const fuzz::fs::path file = fuzz::ScratchFolder::instance().path() / "FW_Update.a79";
    fuzz::writeBytes(file, data, size);

    // A file that ends in "!" is read from address 0 instead of 0x8000.
    const std::uint32_t base = size > 0 && data[size - 1] == '!' ? 0 : SRecordImage::kDefaultBase;
    const int result = image.parse(file, base);
    if (result == kSRecordOk) {
        OLTREX_FUZZ_CHECK(image.length() >= 0 &&
                              static_cast<std::size_t>(image.length()) <= SRecordImage::kBufferSize,
                          "an accepted image longer than its buffer");
        // The header text of a short image, as the generator writes it.
        if (image.length() <= 4096) (void)firmwareHeaderText(image, "\"1.20\"");
    } else {
        OLTREX_FUZZ_CHECK(result == kSRecordCorrupt || result == kSRecordOutOfRange ||
                              result == kSRecordCannotOpen,
                          "an unknown parse result");
        OLTREX_FUZZ_CHECK(image.length() == 0, "a failed parse left an image length");
        OLTREX_FUZZ_CHECK(image.errorLine() >= 0 && !image.errorText().empty(),
                          "a failure without its reason");
    }
    return 0;
}
