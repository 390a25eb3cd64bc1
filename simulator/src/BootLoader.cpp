#include "oltrex/bootsim/BootLoader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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
    if (!reader_.take(byte)) return std::nullopt;

    FrameResult result;
    result.number = ++frames_;
    const std::uint32_t k = result.number;
    if (faults_.silentFrom != 0 && k >= faults_.silentFrom) {
        result.note = "silent";
    } else if (faults_.nack.count(k)) {
        result.answerCode = kNack;
        result.note = "NACK injected";
    } else if (faults_.unknownAnswer.count(k)) {
        result.answerCode = kUnknownAnswerCode;
        result.note = "unknown answer injected";
    } else {
        result.answerCode = judge(result.note);
        if (faults_.dropAnswer.count(k)) {
            result.answerCode.reset();
            result.note += ", answer dropped";
        }
    }
    if (result.answerCode) {
        result.answerLine = stuffForLine({*result.answerCode});
        applyAnswerFaults(result);
    }
    return result;
}

void BootLoader::applyAnswerFaults(FrameResult& result) const {
    const auto delay = faults_.delayMs.find(result.number);
    result.delayMs = delay != faults_.delayMs.end() ? delay->second : faults_.delayEveryMs;
    if (result.delayMs) result.note += ", answer " + std::to_string(result.delayMs) + " ms late";
    for (std::size_t at = 0; at < result.answerLine.size(); ++at) {
        if (!faults_.corrupt.count({result.number, at})) continue;
        result.answerLine[at] = static_cast<std::uint8_t>(~result.answerLine[at]);
        result.note += ", answer byte " + std::to_string(at) + " corrupted";
    }
}

std::uint8_t BootLoader::judge(std::string& note) {
    // Nothing of a broken frame is taken.
    if (reader_.broken()) {
        note = "stuffing broken: " + reader_.problem();
        return kNack;
    }
    const std::vector<std::uint8_t>& frame = reader_.frame();
    if (frame.size() == 1 && frame[0] == kRebootCode) {
        if (!headerValid_) {
            note = "reboot before a valid header";
            return kNack;
        }
        rebooted_ = true;
        note = "reboot";
        return kAck;
    }
    LineBlock block;
    if (!readBlock(frame, block, note)) return kNack;
    return block.address == kHeaderAddress ? judgeHeader(block, note) : judgeBlock(block, note);
}

std::uint8_t BootLoader::judgeBlock(const LineBlock& block, std::string& note) {
    note = "block at " + hex32(block.address);
    if (headerValid_ && block.address != kImageStart) {
        note += " after the header";
        return kNack;
    }
    headerValid_ = false;
    // The same block again: its answer was lost on the way to the PC.
    if (!lastBlock_.empty() && block.address == lastAddress_ && block.data == lastBlock_) {
        note += " (repeated)";
        return kAck;
    }
    // A first block starts a new transfer, as after a failed one the PC
    // begins again from the start without the key leaving its boot loader.
    if (block.address == kImageStart && !image_.empty()) {
        image_.clear();
        note += " (new transfer)";
    }
    const std::uint32_t expected = kImageStart + static_cast<std::uint32_t>(image_.size());
    if (block.address != expected) {
        note += ", expected " + hex32(expected);
        return kNack;
    }
    if (image_.size() + block.data.size() > kMaxImageSize) {
        note += ", image too large";
        return kNack;
    }
    image_.insert(image_.end(), block.data.begin(), block.data.end());
    lastAddress_ = block.address;
    lastBlock_ = block.data;
    return kAck;
}

std::uint8_t BootLoader::judgeHeader(const LineBlock& block, std::string& note) {
    ImageHeader fields;
    std::string problem;
    note = "header";
    if (!readHeader(block.data, fields, problem)) {
        note += ": " + problem;
        return kNack;
    }
    if (fields.imageLength != image_.size() || image_.empty()) {
        note += ": length " + std::to_string(fields.imageLength) + ", received " +
                std::to_string(image_.size());
        return kNack;
    }
    const std::uint32_t crc = lineCrc(image_.data(), image_.size());
    if (fields.imageCrc != crc) {
        note += ": image CRC " + hex32(fields.imageCrc) + ", computed " + hex32(crc);
        return kNack;
    }
    header_ = fields;
    headerValid_ = true;
    note += " " + std::string(fields.typeCode.data(), 4);
    return kAck;
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
