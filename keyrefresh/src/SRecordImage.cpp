#include "oltrex/keyrefresh/SRecordImage.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string_view>

namespace oltrex {
namespace {

std::optional<std::uint8_t> hexByte(std::string_view text, std::size_t at) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (at + 2 > text.size()) return std::nullopt;
    const int high = digit(text[at]);
    const int low = digit(text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

// Address bytes of the data record types S1, S2 and S3.
int addressWidth(char type) {
    switch (type) {
        case '1':
            return 2;
        case '2':
            return 3;
        case '3':
            return 4;
        default:
            return 0;
    }
}

}  // namespace

SRecordImage::SRecordImage() : buffer_(kBufferSize, 0xFF) {}

int SRecordImage::fail(int result, int line, std::string text) {
    std::fill(buffer_.begin(), buffer_.end(), 0xFF);
    length_ = 0;
    errorLine_ = line;
    errorText_ = std::move(text);
    return result;
}

int SRecordImage::parse(const std::filesystem::path& path, std::uint32_t base) {
    std::fill(buffer_.begin(), buffer_.end(), 0xFF);
    length_ = 0;
    typeCode_ = {};
    errorLine_ = 0;
    errorText_.clear();

    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(kSRecordCannotOpen, 0, "cannot open file");

    // A file without accepted data records gives length 0.
    std::uint64_t highestEnd = base;
    std::string raw;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        // The record must have at least ten characters, its line end counted.
        const std::size_t withLineEnd = raw.size() + (in.eof() ? 0 : 1);
        if (raw.empty() || (raw[0] != 'S' && raw[0] != 's') || withLineEnd < 10) continue;
        const char type = raw[1];
        if (type < '0' || type > '9') continue;

        std::string_view text(raw);
        while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);

        // Byte count, then address, data and checksum; the checksum makes the
        // low byte of the sum of all of them 0xff.
        const auto count = hexByte(text, 2);
        if (!count) return fail(kSRecordCorrupt, lineNumber, "bad byte count");
        if (text.size() != 4 + 2 * std::size_t{*count})
            return fail(kSRecordCorrupt, lineNumber, "byte count does not match the record");
        std::vector<std::uint8_t> bytes;
        bytes.reserve(*count + 1);
        bytes.push_back(*count);
        unsigned sum = *count;
        for (std::size_t at = 4; at < text.size(); at += 2) {
            const auto value = hexByte(text, at);
            if (!value) return fail(kSRecordCorrupt, lineNumber, "bad hex digit");
            bytes.push_back(*value);
            sum += *value;
        }
        if ((sum & 0xFF) != 0xFF) return fail(kSRecordCorrupt, lineNumber, "wrong checksum");

        if (type == '0') {
            // Type code: the first four data bytes behind the 16-bit address.
            for (std::size_t i = 0; i < typeCode_.size(); ++i) {
                const std::size_t at = 3 + i;
                typeCode_[i] = at + 1 < bytes.size() ? bytes[at] : 0;
            }
            continue;
        }
        const int width = addressWidth(type);
        if (width == 0) continue;  // S5, S7, S8, S9 and the like carry no image data
        if (*count < width + 1) return fail(kSRecordCorrupt, lineNumber, "record too short");

        std::uint64_t address = 0;
        for (int i = 0; i < width; ++i) address = (address << 8) | bytes[1 + i];
        const std::size_t dataBytes = *count - width - 1;
        if (address < base) continue;  // below the image: not part of it
        const std::uint64_t offset = address - base;
        if (offset + dataBytes > kBufferSize)
            return fail(kSRecordOutOfRange, lineNumber, "record beyond the image buffer");
        std::copy_n(bytes.begin() + 1 + width, dataBytes, buffer_.begin() + offset);
        // The highest end wins, so records out of address order cannot cut
        // the image short.
        highestEnd = std::max(highestEnd, address + dataBytes);
    }
    if (in.bad()) return fail(kSRecordCannotOpen, lineNumber, "read error");
    length_ = static_cast<std::int32_t>(highestEnd - base);
    return kSRecordOk;
}

}  // namespace oltrex
