#include "oltrex/dlcreader/ContainerReader.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "AesCbcDecrypt.h"
#include "oltrex/blockscan/BlockScan.h"
#include "oltrex/conversion/KeySets.h"

namespace oltrex::dlc {
namespace {

std::uint32_t be32(std::span<const std::uint8_t> d, std::size_t p) {
    return std::uint32_t{d[p]} << 24 | std::uint32_t{d[p + 1]} << 16 | std::uint32_t{d[p + 2]} << 8 | d[p + 3];
}
std::uint16_t be16(std::span<const std::uint8_t> d, std::size_t p) {
    return static_cast<std::uint16_t>(d[p] << 8 | d[p + 1]);
}

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

template <class T>
Outcome<T> failure(ReadError error, std::string message) {
    Outcome<T> out;
    out.error = error;
    out.message = std::string(errorName(error)) + ": " + std::move(message);
    return out;
}

// Header record at the start of the plain container; `end` receives the
// offset behind it.
Outcome<HeaderRecord> readHeaderRecord(std::span<const std::uint8_t> plain, std::size_t& end) {
    if (plain.size() < 6) {
        return failure<HeaderRecord>(ReadError::TruncatedRecord,
                                     "the header record needs 6 bytes, the container holds " +
                                         std::to_string(plain.size()));
    }
    const std::uint32_t length = be32(plain, 0);
    const std::uint16_t tag = be16(plain, 4);
    if (tag != kHeaderRecordTag) {
        return failure<HeaderRecord>(ReadError::MissingHeaderRecord,
                                     "the first record has tag " + hex(tag, 4) + ", not 0x76FF");
    }
    if (length < 2) {
        return failure<HeaderRecord>(ReadError::BadRecordLength,
                                     "the header record's length " + std::to_string(length) + " is below 2");
    }
    if (length - 2 > plain.size() - 6) {
        return failure<HeaderRecord>(ReadError::TruncatedRecord,
                                     "the header record claims " + std::to_string(length - 2) +
                                         " encrypted bytes, " + std::to_string(plain.size() - 6) + " follow");
    }
    const KeySet keys = keySet(KeySetId::HeaderA);
    Outcome<HeaderRecord> out;
    const ReadError decrypted = aes192CbcDecrypt(plain.subspan(6, length - 2), keys.key, keys.iv, out.value.block);
    if (decrypted != ReadError::None) {
        return failure<HeaderRecord>(decrypted, "the header block does not decrypt with key set A");
    }
    const Bytes& block = out.value.block;
    if (block.size() != kHeaderBlockSize) {
        return failure<HeaderRecord>(ReadError::BadHeaderBlock, "the header block has " + std::to_string(block.size()) +
                                                                    " bytes, not 228");
    }
    if (block[0] != 0x00 || block[1] != 0x04) {
        return failure<HeaderRecord>(ReadError::BadHeaderBlock, "the header block does not start with 00 04");
    }
    out.value.installationClass = block[kInstallationClassOffset];
    if (out.value.installationClass != 5 && out.value.installationClass != 10) {
        return failure<HeaderRecord>(ReadError::BadHeaderBlock,
                                     "installation class " + std::to_string(out.value.installationClass) +
                                         " is neither 5 nor 10");
    }
    out.value.headerTime = be32(block, kHeaderTimeOffset);
    end = 6 + (length - 2);
    return out;
}

Outcome<Container> readBlocks(std::span<const std::uint8_t> plain, std::size_t p, Container container) {
    container.kind = ContentKind::VehicleUnit;
    while (p < plain.size()) {
        if (plain.size() - p < 6) {
            return failure<Container>(ReadError::TruncatedRecord,
                                      "block at offset " + std::to_string(p) + " has only " +
                                          std::to_string(plain.size() - p) + " of its 6 header bytes");
        }
        const std::uint32_t length = be32(plain, p);
        const std::uint16_t tag = be16(plain, p + 4);
        if (length < 2) {
            return failure<Container>(ReadError::BadRecordLength,
                                      "block at offset " + std::to_string(p) + " has length " + std::to_string(length));
        }
        if (!isVehicleUnitBlockTag(tag)) {
            return failure<Container>(ReadError::UnknownBlockTag,
                                      "block at offset " + std::to_string(p) + " has tag " + hex(tag, 4));
        }
        const std::size_t dataLength = length - 2;
        if (dataLength > plain.size() - p - 6) {
            return failure<Container>(ReadError::TruncatedRecord,
                                      "block " + hex(tag, 4) + " at offset " + std::to_string(p) + " claims " +
                                          std::to_string(dataLength) + " data bytes, " +
                                          std::to_string(plain.size() - p - 6) + " follow");
        }
        const auto data = plain.subspan(p + 6, dataLength);
        container.blocks.push_back({tag, Bytes(data.begin(), data.end())});
        p += 6 + dataLength;
    }
    Outcome<Container> out;
    out.value = std::move(container);
    return out;
}

// The image as the maker filed it. Its last record may run past the end of
// the image (the card's download broke off inside it): that is shown with a
// warning, not refused. An image without one whole record is no card image.
Outcome<Container> readCardImage(std::span<const std::uint8_t> plain, std::size_t start, Container container) {
    container.kind = ContentKind::Card;
    const auto image = plain.subspan(start);
    for (std::size_t p = 0; p < image.size();) {
        std::string cut;
        CardRecord record;
        record.offset = p;
        if (image.size() - p < 5) {
            cut = "card record at image offset " + std::to_string(p) + " has only " +
                  std::to_string(image.size() - p) + " of its 5 header bytes";
        } else {
            record.fileId = be16(image, p);
            record.appendix = image[p + 2];
            record.length = be16(image, p + 3);
            if (record.length > image.size() - p - 5) {
                cut = "card record " + hex(record.fileId, 4) + " at image offset " + std::to_string(p) + " claims " +
                      std::to_string(record.length) + " data bytes, " + std::to_string(image.size() - p - 5) +
                      " follow";
            }
        }
        if (!cut.empty()) {
            if (container.cardRecords.empty()) return failure<Container>(ReadError::TruncatedRecord, cut);
            container.warnings.push_back(cut + ": the image ends inside its last record");
            break;
        }
        container.cardRecords.push_back(record);
        p += 5 + record.length;
    }
    container.cardImage.assign(image.begin(), image.end());
    Outcome<Container> out;
    out.value = std::move(container);
    return out;
}

}  // namespace

const char* errorName(ReadError error) {
    switch (error) {
        case ReadError::None: return "ok";
        case ReadError::CannotRead: return "cannot read the file";
        case ReadError::WrongVersionRecord: return "wrong version record";
        case ReadError::BadCiphertextLength: return "bad ciphertext length";
        case ReadError::BadPadding: return "bad padding";
        case ReadError::TruncatedRecord: return "truncated record";
        case ReadError::BadRecordLength: return "bad record length";
        case ReadError::MissingHeaderRecord: return "missing header record";
        case ReadError::BadHeaderBlock: return "bad header block";
        case ReadError::UnknownBlockTag: return "unknown block tag";
        case ReadError::NoContent: return "no content";
        case ReadError::NoCipherLibrary: return "no cipher library";
    }
    return "unknown error";
}

bool isVehicleUnitBlockTag(std::uint16_t tag) { return isVehicleUnitTag(tag); }

Outcome<Bytes> decryptOuterLayer(std::span<const std::uint8_t> file) {
    if (file.size() < kVersionRecord.size() ||
        !std::equal(kVersionRecord.begin(), kVersionRecord.end(), file.begin())) {
        std::string seen;
        for (std::size_t i = 0; i < std::min(file.size(), kVersionRecord.size()); ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, "%s%02X", i ? " " : "", file[i]);
            seen += byte;
        }
        return failure<Bytes>(ReadError::WrongVersionRecord,
                              "expected 00 00 00 04 76 00 00 01, found " + (seen.empty() ? "nothing" : seen));
    }
    const KeySet keys = keySet(KeySetId::ContainerB);
    Outcome<Bytes> out;
    const auto body = file.subspan(kVersionRecord.size());
    const ReadError decrypted = aes192CbcDecrypt(body, keys.key, keys.iv, out.value);
    if (decrypted == ReadError::BadCiphertextLength) {
        return failure<Bytes>(decrypted, "the encrypted part has " + std::to_string(body.size()) +
                                             " bytes, not a non-zero multiple of 16");
    }
    if (decrypted != ReadError::None) {
        return failure<Bytes>(decrypted, "the container does not decrypt with key set B");
    }
    return out;
}

Outcome<Container> parsePlainContainer(std::span<const std::uint8_t> plain) {
    std::size_t p = 0;
    Outcome<HeaderRecord> header = readHeaderRecord(plain, p);
    if (!header.ok()) {
        Outcome<Container> out;
        out.error = header.error;
        out.message = std::move(header.message);
        return out;
    }
    Container container;
    container.header = std::move(header.value);
    if (p == plain.size()) {
        return failure<Container>(ReadError::NoContent, "nothing follows the header record");
    }
    // A vehicle-unit block carries a recognised tag behind its 4-byte length;
    // a card image starts with a record's file identifier instead.
    const bool blocks = plain.size() - p >= 6 && isVehicleUnitBlockTag(be16(plain, p + 4));
    return blocks ? readBlocks(plain, p, std::move(container)) : readCardImage(plain, p, std::move(container));
}

Outcome<Container> readContainer(std::span<const std::uint8_t> file) {
    Outcome<Bytes> plain = decryptOuterLayer(file);
    if (!plain.ok()) {
        Outcome<Container> out;
        out.error = plain.error;
        out.message = std::move(plain.message);
        return out;
    }
    return parsePlainContainer(plain.value);
}

Outcome<Container> readContainerFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return failure<Container>(ReadError::CannotRead, path.string());
    Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return failure<Container>(ReadError::CannotRead, path.string());
    return readContainer(file);
}

Bytes euDownloadFile(const Container& container) {
    if (container.kind == ContentKind::Card) return container.cardImage;
    Bytes out;
    std::size_t size = 0;
    for (const auto& block : container.blocks) size += 2 + block.data.size();
    out.reserve(size);
    for (const auto& block : container.blocks) {
        out.push_back(static_cast<std::uint8_t>(block.tag >> 8));
        out.push_back(static_cast<std::uint8_t>(block.tag & 0xFF));
        out.insert(out.end(), block.data.begin(), block.data.end());
    }
    return out;
}

}  // namespace oltrex::dlc
