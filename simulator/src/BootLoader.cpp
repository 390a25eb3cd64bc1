#include "oltrex/bootsim/BootLoader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "oltrex/transfer/Crc32.h"

namespace oltrex::bootsim {
namespace {

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

}  // namespace

BootLoader::BootLoader(Faults faults) : faults_(std::move(faults)) {}

std::optional<FrameResult> BootLoader::feed(std::uint8_t byte) {
    ++lineBytes_;
    if (!decoder_.feed(byte)) return std::nullopt;

    FrameResult result;
    result.number = ++frames_;
    const std::uint32_t k = result.number;
    if (faults_.silentFrom != 0 && k >= faults_.silentFrom) {
        result.note = "silent";
    } else if (faults_.nack.count(k)) {
        result.answerCode = kAnswerNack;
        result.note = "NACK injected";
    } else if (faults_.unknownAnswer.count(k)) {
        result.answerCode = kUnknownAnswerCode;
        result.note = "unknown answer injected";
    } else {
        const std::uint8_t code = judge(decoder_.data(), decoder_.size(), result.note);
        if (decoder_.malformed()) {
            result.answerCode = kAnswerNack;
            result.note = "stuffing broken";
        } else {
            result.answerCode = code;
        }
        if (faults_.dropAnswer.count(k)) {
            result.answerCode.reset();
            result.note += ", answer dropped";
        }
    }
    decoder_.reset();
    if (result.answerCode) {
        const std::uint8_t code = *result.answerCode;
        result.answerLine = stuffedFrame(&code, 1);
    }
    return result;
}

std::uint8_t BootLoader::judge(const std::uint8_t* frame, std::size_t size, std::string& note) {
    if (decoder_.malformed()) return kAnswerNack;  // nothing of a broken frame is taken
    if (size == 0) {
        note = "empty frame";
        return kAnswerNack;
    }
    if (size == 1 && frame[0] == kRebootCommand) {
        if (!headerValid_) {
            note = "reboot before a valid header";
            return kAnswerNack;
        }
        rebooted_ = true;
        note = "reboot";
        return kAnswerAck;
    }
    BlockView block;
    switch (parseDataBlock(frame, size, block)) {
        case BlockCheck::Ok: break;
        case BlockCheck::WrongCommand: note = "unknown command"; return kAnswerNack;
        case BlockCheck::WrongLength: note = "length does not match"; return kAnswerNack;
        case BlockCheck::WrongCrc: note = "CRC wrong"; return kAnswerNack;
    }
    return block.address == kHeaderBlockAddress ? judgeHeader(block, note) : judgeBlock(block, note);
}

std::uint8_t BootLoader::judgeBlock(const BlockView& block, std::string& note) {
    note = "block at " + hex32(block.address);
    if (headerValid_ && block.address != kFirstBlockAddress) {
        note += " after the header";
        return kAnswerNack;
    }
    headerValid_ = false;
    // The same block again: its answer was lost on the way to the PC.
    if (!lastBlock_.empty() && block.address == lastAddress_ && block.size == lastBlock_.size() &&
        std::equal(block.data, block.data + block.size, lastBlock_.begin())) {
        note += " (repeated)";
        return kAnswerAck;
    }
    // A first block starts a new transfer, as after a failed one the PC
    // begins again from the start without the key leaving its boot loader.
    if (block.address == kFirstBlockAddress && !image_.empty()) {
        image_.clear();
        note += " (new transfer)";
    }
    const std::uint32_t expected = kFirstBlockAddress + static_cast<std::uint32_t>(image_.size());
    if (block.address != expected) {
        note += ", expected " + hex32(expected);
        return kAnswerNack;
    }
    if (image_.size() + block.size > kMaxImageSize) {
        note += ", image too large";
        return kAnswerNack;
    }
    image_.insert(image_.end(), block.data, block.data + block.size);
    lastAddress_ = block.address;
    lastBlock_.assign(block.data, block.data + block.size);
    return kAnswerAck;
}

std::uint8_t BootLoader::judgeHeader(const BlockView& block, std::string& note) {
    HeaderFields fields;
    note = "header";
    if (!parseHeaderData(block.data, block.size, fields)) {
        note += ": fixed bytes wrong";
        return kAnswerNack;
    }
    if (fields.imageLength != image_.size() || image_.empty()) {
        note += ": length " + std::to_string(fields.imageLength) + ", received " +
                std::to_string(image_.size());
        return kAnswerNack;
    }
    const std::uint32_t crc = keyCrc32(image_.data(), image_.size());
    if (fields.imageCrc != crc) {
        note += ": image CRC " + hex32(fields.imageCrc) + ", computed " + hex32(crc);
        return kAnswerNack;
    }
    header_ = fields;
    headerValid_ = true;
    note += " " + std::string(fields.typeCode.data(), 4);
    return kAnswerAck;
}

std::string firmwareLabelDigits(const std::vector<std::uint8_t>& image) {
    static constexpr char kLabel[] = " FW-";
    constexpr std::size_t kLabelSize = sizeof kLabel - 1;
    for (std::size_t i = 0; i + kLabelSize + 4 <= image.size(); ++i) {
        if (std::memcmp(image.data() + i, kLabel, kLabelSize) != 0) continue;
        const std::uint8_t* digits = image.data() + i + kLabelSize;
        if (std::all_of(digits, digits + 4, [](std::uint8_t c) { return c >= '0' && c <= '9'; })) {
            return std::string(reinterpret_cast<const char*>(digits), 4);
        }
    }
    return {};
}

}  // namespace oltrex::bootsim
