#include "oltrex/simkey/KeyForms.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "oltrex/blockscan/BlockScan.h"

namespace oltrex::simkey {
namespace {

// Where each bit of a plain body byte comes from in the unscrambled byte x:
// plain bit i = bit kPlainBitSource[i] of x.
constexpr std::array<int, 8> kPlainBitSource = {7, 5, 0, 2, 3, 1, 4, 6};
// The download program's encoding chain: written bit i = bit kWrittenBitSource[i]
// of the chained byte.
constexpr std::array<int, 8> kWrittenBitSource = {3, 0, 4, 7, 1, 6, 5, 2};

bool fail(std::string* error, std::string why) {
    if (error) *error = std::move(why);
    return false;
}

void appendBigEndian32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length field, the tag bytes as they stand (a cut-off last block may have
// only one) and data that the encoding chain turns into `wanted`.
void appendRecord(Bytes& body, std::uint32_t length, const std::uint8_t* tag, std::size_t tagBytes,
                  const std::uint8_t* wanted, std::size_t size) {
    appendBigEndian32(body, length);
    body.insert(body.end(), tag, tag + tagBytes);
    const Bytes data = encodingChainPreimage(wanted, size);
    body.insert(body.end(), data.begin(), data.end());
}

// One record per block, cut where the download program's block scan cuts.
void appendVehicleUnitRecords(const Bytes& file, Bytes& body) {
    std::size_t at = 0;
    while (at < file.size()) {
        const std::size_t marker = file.size() - at >= 2 ? findBlockEnd(file, at + 2) : kNoOffset;
        if (marker == kNoOffset) {
            // A last block without its end marker: the record claims one byte
            // more than follows, so that it ends with the file, unclosed.
            const std::size_t rest = file.size() - at;
            const std::size_t tagBytes = std::min<std::size_t>(rest, 2);
            appendRecord(body, static_cast<std::uint32_t>(rest + 1), file.data() + at, tagBytes,
                         file.data() + at + tagBytes, rest - tagBytes);
            return;
        }
        appendRecord(body, static_cast<std::uint32_t>(marker - at), file.data() + at, 2,
                     file.data() + at + 2, marker - (at + 2));
        at = marker + kBlockEndMarker.size();
    }
}

bool appendCardImage(const Bytes& file, Bytes& body, std::string* error) {
    const bool closed = file.size() >= 4 &&
                        std::equal(kBlockEndMarker.begin(), kBlockEndMarker.end(), file.end() - 4);
    if (file.size() < 7 || file[0] != 0x76 || file[1] != 0x06 || !closed)
        return fail(error, "a card file is 0x76 0x06, a card image and 0x76 0xFF 0x76 0xFF");
    const Bytes data = encodingChainPreimage(file.data() + 2, file.size() - 6);
    body.insert(body.end(), data.begin(), data.end());
    return true;
}

std::uint8_t moveBits(std::uint8_t x, const std::array<int, 8>& source, bool inverse) {
    std::uint8_t out = 0;
    for (int i = 0; i < 8; ++i) {
        const int from = inverse ? i : source[i];
        const int to = inverse ? source[i] : i;
        if (x >> from & 1) out = static_cast<std::uint8_t>(out | 1 << to);
    }
    return out;
}

}  // namespace

std::string keyInfoText(const KeyIdentity& identity) {
    return " StickID: " + identity.series + identity.number + " FW-" + identity.firmware;
}

std::string serialNumberText(const KeyIdentity& identity) {
    std::string lastEight = identity.number.size() > 8
                                ? identity.number.substr(identity.number.size() - 8)
                                : identity.number;
    return " StickID: " + identity.series + lastEight + " FW-" + identity.firmware;
}

std::string directoryEntry(std::uint64_t size, std::string_view name) {
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "%8llu Bytes - ", static_cast<unsigned long long>(size));
    return std::string(prefix) + "\"" + std::string(name) + "\"";
}

Bytes protectedForm(const Bytes& bytes) {
    Bytes out(bytes);
    std::uint32_t key = kProtectStartKey;
    std::size_t words = out.size() / 4;
    for (std::size_t j = 0; j < words; ++j) {
        for (int b = 0; b < 4; ++b) out[4 * j + b] ^= static_cast<std::uint8_t>(key >> (8 * b));
        key -= kProtectStep;
    }
    for (std::size_t i = 4 * words, b = 0; i < out.size(); ++i, ++b)
        out[i] ^= static_cast<std::uint8_t>(key >> (8 * b));
    return out;
}

bool isCardFileName(std::string_view fileName) {
    return fileName.size() >= 2 && (fileName[0] == 'C' || fileName[0] == 'c') && fileName[1] == '_';
}

std::optional<Bytes> securePlainBody(std::string_view fileName, const Bytes& plainKeyFile,
                                     std::string* error) {
    Bytes body;
    // The name record's data is read past, never encoded.
    appendBigEndian32(body, static_cast<std::uint32_t>(fileName.size() + 2));
    body.push_back(static_cast<std::uint8_t>(kNameRecordTag >> 8));
    body.push_back(static_cast<std::uint8_t>(kNameRecordTag & 0xFF));
    body.insert(body.end(), fileName.begin(), fileName.end());
    if (!isCardFileName(fileName)) {
        appendVehicleUnitRecords(plainKeyFile, body);
    } else if (!appendCardImage(plainKeyFile, body, error)) {
        return std::nullopt;
    }
    return body;
}

std::optional<Bytes> secureForm(std::string_view fileName, const Bytes& plainKeyFile,
                                std::string* error) {
    auto body = securePlainBody(fileName, plainKeyFile, error);
    if (!body) return std::nullopt;
    Bytes out(kSecureHeaderMagic.begin(), kSecureHeaderMagic.end());
    appendBigEndian32(out, static_cast<std::uint32_t>(body->size()));
    Bytes scrambled = scrambleSecureBody(*body);
    out.insert(out.end(), scrambled.begin(), scrambled.end());
    return out;
}

Bytes encodingChainPreimage(const std::uint8_t* wanted, std::size_t size) {
    Bytes out;
    out.reserve(size);
    std::uint8_t chain = kEncodeChainStart;
    for (std::size_t i = 0; i < size; ++i) {
        // written = bits of (p ^ chain) moved; the chain carries p.
        const std::uint8_t p =
            static_cast<std::uint8_t>(moveBits(wanted[i], kWrittenBitSource, true) ^ chain);
        chain = p;
        out.push_back(p);
    }
    return out;
}

Bytes scrambleSecureBody(const Bytes& plainBody) {
    Bytes out;
    out.reserve(plainBody.size());
    std::uint8_t chain = kSecureChainStart;
    for (std::uint8_t p : plainBody) {
        std::uint8_t c = static_cast<std::uint8_t>(moveBits(p, kPlainBitSource, true) ^ chain);
        chain = c;
        out.push_back(c);
    }
    return out;
}

Bytes unscrambleSecureBody(const Bytes& scrambledBody) {
    Bytes out;
    out.reserve(scrambledBody.size());
    std::uint8_t chain = kSecureChainStart;
    for (std::uint8_t c : scrambledBody) {
        std::uint8_t x = static_cast<std::uint8_t>(c ^ chain);
        chain = c;
        out.push_back(moveBits(x, kPlainBitSource, false));
    }
    return out;
}

}  // namespace oltrex::simkey
