#include "oltrex/keyfetch/Classification.h"

#include <algorithm>
#include <system_error>

#include "oltrex/blockscan/BlockScan.h"
#include "oltrex/conversion/CardConverter.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace {

bool inRange(std::uint16_t tag, std::uint16_t low, std::uint16_t high) {
    return tag >= low && tag <= high;
}

bool hasRecord(const CTachoConvert& converter, const char* b1, const char* b2, const char* b3,
               const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> record;
    return converter.findCardRecord(b1, b2, b3, image.data(), image.size(), &record, nullptr) > 0;
}

// Tag bytes written over the technical-data blocks.
void overwriteTags(std::vector<std::uint8_t>& file, const std::vector<std::size_t>& offsets,
                   std::uint8_t low) {
    for (std::size_t p : offsets) {
        file[p] = 0x76;
        file[p + 1] = low;
    }
}

}  // namespace

int cardTestScore(const std::vector<std::uint8_t>& image) {
    const CTachoConvert converter;
    int c = int(hasRecord(converter, "00", "02", "00", image)) +
            int(hasRecord(converter, "00", "05", "00", image)) +
            int(hasRecord(converter, "05", "01", "01", image));
    if (c > 0 && hasRecord(converter, "05", "04", "03", image)) ++c;
    return c;
}

char classifyBytes(std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& cardImage,
                   bool& rewritten) {
    cardImage.clear();
    rewritten = false;

    const KeyFileScan scan = scanKeyFile(file);
    if (scan.card) {
        // A card file is never normalised; its image is tested and converted.
        const std::vector<std::uint8_t> image(
            file.begin() + static_cast<std::ptrdiff_t>(scan.imageBegin),
            file.begin() + static_cast<std::ptrdiff_t>(scan.imageEnd));
        if (!image.empty() && cardTestScore(image) >= 3) {
            const CTachoConvert converter;
            std::vector<std::uint8_t> output;
            const std::size_t used =
                converter.convert(image.data(), &output, image.size(), nullptr);
            output.resize(std::min(used, output.size()));
            cardImage = std::move(output);
        }
        return 'V';
    }

    bool smart = false, gen1 = false, gen2 = false;
    std::vector<std::size_t> technicalData;
    for (const ScannedBlock& b : scan.blocks) {
        if (inRange(b.tag, 0x7611, 0x7619) && b.tag != 0x7617) smart = true;
        if (inRange(b.tag, 0x7601, 0x7604)) gen1 = true;
        if (inRange(b.tag, 0x7621, 0x7624) || inRange(b.tag, 0x7631, 0x7634)) gen2 = true;
        if (b.tag == 0x7605 || b.tag == 0x7625) technicalData.push_back(b.tagOffset);
    }
    // The technical data follows the generation of the other blocks; with
    // blocks of both generations it ends up as generation 1.
    if (!technicalData.empty() && (gen1 || gen2)) {
        const std::uint8_t low = gen1 ? 0x05 : 0x25;
        rewritten = std::any_of(technicalData.begin(), technicalData.end(),
                                [&](std::size_t at) { return file[at + 1] != low; });
        overwriteTags(file, technicalData, low);
    }
    return smart ? 'S' : 'V';
}

int classifyFile(const std::filesystem::path& localPath, std::string_view keyName,
                 ClassifiedFile& out) {
    out = {};
    std::error_code ec;
    Bytes file;
    if (!readWholeFile(localPath, file, ec) || file.empty()) return kNotClassified;

    trace("******************************\r\n");
    trace("* rename input-file for test *\r\n");
    trace("******************************\r\n");

    const char letter = classifyBytes(file, out.cardImage, out.rewritten);
    out.kindName = std::string(keyName.substr(0, 99));
    if (!out.kindName.empty()) out.kindName[0] = letter;

    if (out.rewritten && !replaceFile(localPath, file, ec)) return kNotClassified;
    return kClassified;
}

}  // namespace oltrex
