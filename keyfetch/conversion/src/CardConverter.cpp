#include "oltrex/conversion/CardConverter.h"

#include <array>
#include <cstring>
#include <optional>

#include "CardFileTable.h"

namespace oltrex {
namespace {

using Tag = std::array<std::uint8_t, 3>;

std::optional<std::uint8_t> hexPair(const char* text) {
    if (text == nullptr || std::strlen(text) != 2) return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    const int high = digit(text[0]);
    const int low = digit(text[1]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

// Tag text "0x" + six hex digits -> the three tag bytes.
Tag tagBytes(const std::string& text) {
    Tag tag{};
    for (std::size_t i = 0; i < tag.size(); ++i) {
        const char pair[3] = {text[2 + 2 * i], text[3 + 2 * i], '\0'};
        tag[i] = hexPair(pair).value_or(0);
    }
    return tag;
}

bool tagAt(const std::uint8_t* image, std::size_t p, const Tag& tag) {
    return image[p] == tag[0] && image[p + 1] == tag[1] && image[p + 2] == tag[2];
}

std::size_t lengthAt(const std::uint8_t* image, std::size_t p) {
    return static_cast<std::size_t>(image[p + 3]) << 8 | image[p + 4];
}

// A record header needs 5 bytes: positions 0 .. length - 5.
bool headerFits(std::size_t p, std::size_t imageLength) { return p + CTachoConvert::kRecordHeaderSize <= imageLength; }

bool recordFits(std::size_t p, std::size_t dataLength, std::size_t imageLength) {
    return p + CTachoConvert::kRecordHeaderSize + dataLength <= imageLength;
}

// Generation-2 certificates differ in length with the signing curve (204 to
// 341 bytes); real cards carry 204, so a fixed length would lose them.
bool isGen2Certificate(const std::string& tag) {
    return tag == "0xC10002" || tag == "0xC10102" || tag == "0xC10802" || tag == "0xC10902";
}
constexpr std::size_t kGen2CertificateMin = 204;
constexpr std::size_t kGen2CertificateMax = 341;

bool lengthAccepted(const CardFileEntry& entry, std::size_t length) {
    if (isGen2Certificate(entry.tag)) return length >= kGen2CertificateMin && length <= kGen2CertificateMax;
    return length == entry.size;
}

class OutputWriter {
public:
    explicit OutputWriter(std::vector<std::uint8_t>& buffer) : buffer_(buffer) {}
    // Grows the buffer (zero-filled) rather than write past it.
    void append(const std::uint8_t* data, std::size_t size) {
        if (cursor_ + size > buffer_.size()) buffer_.resize(cursor_ + size, 0);
        std::memcpy(buffer_.data() + cursor_, data, size);
        cursor_ += size;
    }
    std::size_t cursor() const { return cursor_; }

private:
    std::vector<std::uint8_t>& buffer_;
    std::size_t cursor_ = 0;
};

// Copies the first record of the entry's tag whose length the entry accepts.
// After a record of another length the scan resumes 4 bytes further on; a
// zero length is no record and the scan goes on at the next byte.
void copyEntry(const CardFileEntry& entry, const std::uint8_t* image, std::size_t imageLength,
               OutputWriter& out) {
    const Tag tag = tagBytes(entry.tag);
    for (std::size_t p = 0; headerFits(p, imageLength);) {
        if (!tagAt(image, p, tag)) {
            ++p;
            continue;
        }
        const std::size_t length = lengthAt(image, p);
        if (length == 0) {
            ++p;
            continue;
        }
        if (lengthAccepted(entry, length) && recordFits(p, length, imageLength)) {
            out.append(image + p, CTachoConvert::kRecordHeaderSize + length);
            return;
        }
        p += 4;
    }
}

bool nameHasGeneration2(const CardFileEntry& entry) {
    return entry.tag == "0x000202" || entry.tag == "0x000502" ||
           entry.name.find("_2G_") != std::string::npos;
}

}  // namespace

CTachoConvert::CTachoConvert() {
    entries_.reserve(cardtable::kRowCount);
    for (const cardtable::Row& row : cardtable::kRows) {
        entries_.push_back(std::make_unique<CardFileEntry>(CardFileEntry{row.tag, row.name, row.size}));
    }
}

CTachoConvert::~CTachoConvert() {
    while (!entries_.empty()) entries_.pop_back();  // last to first
}

int CTachoConvert::findCardRecord(const char* tagByte1, const char* tagByte2, const char* tagByte3,
                                  const std::uint8_t* image, std::size_t imageLength,
                                  std::vector<std::uint8_t>* recordOut, std::size_t* positionOut) const {
    if (positionOut != nullptr) *positionOut = 0;
    if (recordOut != nullptr) recordOut->clear();
    if (image == nullptr || recordOut == nullptr || imageLength == 0) return 0;
    const auto b1 = hexPair(tagByte1);
    const auto b2 = hexPair(tagByte2);
    const auto b3 = hexPair(tagByte3);
    if (!b1 || !b2 || !b3) return 0;
    const Tag tag{*b1, *b2, *b3};
    for (std::size_t p = 0; headerFits(p, imageLength); ++p) {
        if (!tagAt(image, p, tag)) continue;
        const std::size_t length = lengthAt(image, p);
        // A record that would run past the image is no match.
        if (length == 0 || !recordFits(p, length, imageLength)) continue;
        const std::size_t size = kRecordHeaderSize + length;
        recordOut->assign(image + p, image + p + size);
        if (positionOut != nullptr) *positionOut = p;
        return static_cast<int>(size);
    }
    return 0;
}

std::size_t CTachoConvert::convert(const std::uint8_t* image, std::vector<std::uint8_t>* output,
                                   std::size_t imageLength, std::string* statusText) const {
    if (statusText != nullptr) statusText->clear();
    if (image == nullptr || output == nullptr || imageLength == 0) return 0;
    output->assign(imageLength + kOutputSlack, 0);
    OutputWriter out(*output);

    std::vector<std::uint8_t> found;
    std::size_t position = 0;
    constexpr std::size_t kGen2MinimumImage = 30000;
    const bool generation2 = imageLength >= kGen2MinimumImage &&
                             findCardRecord("05", "04", "03", image, imageLength, &found, &position) > 0;

    for (const auto& entry : entries_) {
        if (!generation2 && nameHasGeneration2(*entry)) break;
        if (entry->name == "EF_2G_ICC" || entry->name == "EF_2G_IC") {
            // Without a generation-2 chip record of the expected size the
            // generation-1 one stands in for it.
            const bool icc = entry->name == "EF_2G_ICC";
            const int expected = static_cast<int>(kRecordHeaderSize) + entry->size;
            if (findCardRecord("00", icc ? "02" : "05", "02", image, imageLength, &found, &position) == expected) {
                copyEntry(*entry, image, imageLength, out);
            } else if (findCardRecord("00", icc ? "02" : "05", "00", image, imageLength, &found, &position) > 0) {
                out.append(found.data(), found.size());
            }
            continue;
        }
        copyEntry(*entry, image, imageLength, out);
    }
    return out.cursor();
}

}  // namespace oltrex
