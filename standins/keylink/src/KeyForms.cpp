#include "oltrex/simkey/KeyForms.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace oltrex::simkey {
namespace {

// Where each bit of a plain body byte comes from in the unscrambled byte x:
// plain bit i = bit kPlainBitSource[i] of x.
constexpr std::array<int, 8> kPlainBitSource = {7, 5, 0, 2, 3, 1, 4, 6};

constexpr std::uint8_t kEndMarker[4] = {0x76, 0xFF, 0x76, 0xFF};

bool fail(std::string* error, std::string why) {
    if (error) *error = std::move(why);
    return false;
}

void appendBigEndian32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void appendRecord(Bytes& body, std::uint16_t tag, const std::uint8_t* data, std::size_t size) {
    appendBigEndian32(body, static_cast<std::uint32_t>(size + 2));
    body.push_back(static_cast<std::uint8_t>(tag >> 8));
    body.push_back(static_cast<std::uint8_t>(tag & 0xFF));
    body.insert(body.end(), data, data + size);
}

bool isEndMarkerAt(const Bytes& bytes, std::size_t at) {
    return at + 4 <= bytes.size() &&
           std::equal(kEndMarker, kEndMarker + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

bool isBlockTagAt(const Bytes& bytes, std::size_t at) {
    return at + 2 <= bytes.size() && bytes[at] == 0x76 && bytes[at + 1] != 0xFF;
}

// The end marker closing the block whose data starts at `from`: the first
// marker that is followed by the end of the file or by the next block's tag,
// so that marker-like bytes inside the data do not split a block.
std::optional<std::size_t> findBlockEnd(const Bytes& bytes, std::size_t from) {
    for (std::size_t at = from; at + 4 <= bytes.size(); ++at) {
        if (!isEndMarkerAt(bytes, at)) continue;
        if (at + 4 == bytes.size() || isBlockTagAt(bytes, at + 4)) return at;
    }
    return std::nullopt;
}

bool appendVehicleUnitRecords(const Bytes& file, Bytes& body, std::string* error) {
    std::size_t at = 0;
    while (at < file.size()) {
        if (!isBlockTagAt(file, at))
            return fail(error, "no block tag 0x76xx at offset " + std::to_string(at));
        auto end = findBlockEnd(file, at + 2);
        if (!end) {
            std::size_t marker = at + 2;
            while (marker + 4 <= file.size() && !isEndMarkerAt(file, marker)) ++marker;
            if (marker + 4 > file.size())
                return fail(error,
                            "the block at offset " + std::to_string(at) + " has no end marker");
            return fail(error, "no block tag 0x76xx at offset " + std::to_string(marker + 4));
        }
        std::uint16_t tag = static_cast<std::uint16_t>(file[at] << 8 | file[at + 1]);
        appendRecord(body, tag, file.data() + at + 2, *end - (at + 2));
        at = *end + 4;
    }
    return true;
}

bool appendCardImage(const Bytes& file, Bytes& body, std::string* error) {
    if (file.size() < 6 || file[0] != 0x76 || file[1] != 0x06)
        return fail(error, "a card file starts with 0x76 0x06 and ends with 4 closing bytes");
    body.insert(body.end(), file.begin() + 2, file.end() - 4);
    return true;
}

std::uint8_t permute(std::uint8_t x, bool toPlain) {
    std::uint8_t out = 0;
    for (int i = 0; i < 8; ++i) {
        int from = toPlain ? kPlainBitSource[i] : i;
        int to = toPlain ? i : kPlainBitSource[i];
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
    appendRecord(body, kNameRecordTag, reinterpret_cast<const std::uint8_t*>(fileName.data()),
                 fileName.size());
    bool ok = isCardFileName(fileName) ? appendCardImage(plainKeyFile, body, error)
                                       : appendVehicleUnitRecords(plainKeyFile, body, error);
    if (!ok) return std::nullopt;
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

Bytes scrambleSecureBody(const Bytes& plainBody) {
    Bytes out;
    out.reserve(plainBody.size());
    std::uint8_t chain = kSecureChainStart;
    for (std::uint8_t p : plainBody) {
        std::uint8_t c = static_cast<std::uint8_t>(permute(p, false) ^ chain);
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
        out.push_back(permute(x, true));
    }
    return out;
}

}  // namespace oltrex::simkey
