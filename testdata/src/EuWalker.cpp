#include "oltrex/testdata/EuWalker.h"

#include <cstdio>

#include "oltrex/testdata/Random.h"

namespace oltrex::testdata {

namespace {

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string blockName(std::uint16_t tag, std::size_t offset) {
    return "block " + hex(tag, 4) + " at offset " + std::to_string(offset);
}

// Bounds-checked reading through one block; the first failure is kept.
class BlockCursor {
public:
    BlockCursor(ByteView file, std::size_t pos, std::string block, WalkError& error)
        : file_(file), pos_(pos), block_(std::move(block)), error_(error) {}

    std::size_t pos() const { return pos_; }

    bool fixed(std::size_t size, const char* what) {
        if (file_.size() - pos_ < size)
            return fail(pos_, std::string(what) + " needs " + std::to_string(size) + " bytes, " +
                                  std::to_string(file_.size() - pos_) + " remain");
        pos_ += size;
        return true;
    }

    // A count of `countBytes` bytes followed by that many records of `recordSize`.
    bool countedList(int countBytes, std::size_t recordSize, const char* what) {
        const std::size_t at = pos_;
        if (file_.size() - pos_ < static_cast<std::size_t>(countBytes))
            return fail(at, std::string("the count of ") + what + " runs past the end of the file");
        const std::size_t count = countBytes == 1 ? file_[pos_] : readBe16(file_, pos_);
        pos_ += static_cast<std::size_t>(countBytes);
        const std::size_t size = count * recordSize;
        if (file_.size() - pos_ < size)
            return fail(at, std::string(what) + ": " + std::to_string(count) + " records of " +
                                std::to_string(recordSize) + " bytes run past the end of the file");
        pos_ += size;
        return true;
    }

    bool fail(std::size_t at, std::string reason) {
        error_.offset = at;
        error_.reason = block_ + ": " + std::move(reason);
        return false;
    }

private:
    ByteView file_;
    std::size_t pos_;
    std::string block_;
    WalkError& error_;
};

// Generation 1: fixed parts and counted record lists of each TREP.
bool walkGen1(BlockCursor& c, std::uint16_t tag) {
    switch (tag) {
        case 0x7601:  // overview
            return c.fixed(491, "the overview's fixed part") && c.countedList(1, 98, "company locks") &&
                   c.countedList(1, 31, "control activities") && c.fixed(128, "the signature");
        case 0x7602:  // activities of one day
            return c.fixed(7, "date and odometer") && c.countedList(2, 129, "card insertions and withdrawals") &&
                   c.countedList(2, 2, "activity changes") && c.countedList(1, 28, "places") &&
                   c.countedList(2, 5, "specific conditions") && c.fixed(128, "the signature");
        case 0x7603:  // events and faults
            return c.countedList(1, 82, "faults") && c.countedList(1, 83, "events") &&
                   c.fixed(9, "overspeeding control data") && c.countedList(1, 31, "overspeeding events") &&
                   c.countedList(1, 98, "time adjustments") && c.fixed(128, "the signature");
        case 0x7604:  // detailed speed
            return c.countedList(2, 64, "speed blocks") && c.fixed(128, "the signature");
        case 0x7605:  // technical data
            return c.fixed(136, "identification and paired sensor") && c.countedList(1, 167, "calibrations") &&
                   c.fixed(128, "the signature");
        default: return c.fail(c.pos(), "not a generation-1 block");
    }
}

// Generation 2: record arrays up to and including the signature record array.
bool walkRecordArrays(ByteView file, BlockCursor& c) {
    constexpr std::uint8_t kSignatureRecordType = 0x08;
    for (;;) {
        const std::size_t at = c.pos();
        if (at == file.size()) return c.fail(at, "the file ends before the signature record array");
        if (file.size() - at < 5) return c.fail(at, "a record array header runs past the end of the file");
        const std::uint8_t type = file[at];
        const std::size_t size = readBe16(file, at + 1);
        const std::size_t count = readBe16(file, at + 3);
        if (!c.fixed(5, "a record array header")) return false;
        if (file.size() - c.pos() < size * count)
            return c.fail(at, "record array of type " + hex(type, 2) + ": " + std::to_string(count) +
                                  " records of " + std::to_string(size) + " bytes run past the end of the file");
        c.fixed(size * count, "records");
        if (type == kSignatureRecordType) return true;
    }
}

}  // namespace

bool isEuBlockTag(std::uint16_t tag) {
    return isGen1BlockTag(tag) || isGen2BlockTag(tag) || isGen2Version2BlockTag(tag);
}

std::optional<std::size_t> walkVehicleUnitBlock(ByteView file, std::uint16_t tag, std::size_t dataOffset,
                                                WalkError& error) {
    BlockCursor c(file, dataOffset, blockName(tag, dataOffset - 2), error);
    const bool ok = isGen1BlockTag(tag) ? walkGen1(c, tag)
                    : (isGen2BlockTag(tag) || isGen2Version2BlockTag(tag))
                        ? walkRecordArrays(file, c)
                        : c.fail(dataOffset - 2, "not a block of an EU vehicle-unit download");
    if (!ok) return std::nullopt;
    return c.pos() - dataOffset;
}

std::optional<std::vector<EuCardRecord>> walkCardRecords(ByteView file, std::size_t begin, std::size_t end,
                                                         WalkError& error) {
    std::vector<EuCardRecord> records;
    std::size_t pos = begin;
    while (pos < end) {
        if (end - pos < 5) {
            error = {pos, "a card record header needs 5 bytes, " + std::to_string(end - pos) + " remain"};
            return std::nullopt;
        }
        EuCardRecord r{readBe16(file, pos), file[pos + 2], pos, readBe16(file, pos + 3)};
        if (r.appendix > 0x03) {
            error = {pos, "card record " + hex(r.fileId, 4) + " has appendix " + hex(r.appendix, 2) +
                              ", which no EU card download uses (0x00-0x03): not an EU download file"};
            return std::nullopt;
        }
        if (end - pos - 5 < r.length) {
            error = {pos, "card record " + hex(r.fileId, 4) + " of " + std::to_string(r.length) +
                              " bytes runs past the end of the file"};
            return std::nullopt;
        }
        records.push_back(r);
        pos += 5 + r.length;
    }
    return records;
}

std::optional<EuLayout> walkEuFile(ByteView file, WalkError& error) {
    EuLayout layout;
    if (file.empty()) {
        error = {0, "the file is empty"};
        return std::nullopt;
    }
    if (file[0] != kTagByte) {
        layout.kind = EuFileKind::Card;
        auto records = walkCardRecords(file, 0, file.size(), error);
        if (!records) return std::nullopt;
        layout.records = std::move(*records);
        for (const auto& r : layout.records)
            if (r.appendix >= 0x02) layout.generation = Generation::Second;
        return layout;
    }
    layout.kind = EuFileKind::VehicleUnit;
    std::size_t pos = 0;
    while (pos < file.size()) {
        if (file.size() - pos < 2) {
            error = {pos, "a single byte follows the last block"};
            return std::nullopt;
        }
        const std::uint16_t tag = readBe16(file, pos);
        if (!isEuBlockTag(tag)) {
            error = {pos, "no EU block tag where the next block should start (found " + hex(tag, 4) + ")"};
            return std::nullopt;
        }
        const auto size = walkVehicleUnitBlock(file, tag, pos + 2, error);
        if (!size) return std::nullopt;
        layout.blocks.push_back({tag, pos, *size});
        if (!isGen1BlockTag(tag)) layout.generation = Generation::Second;
        pos += 2 + *size;
    }
    return layout;
}

}  // namespace oltrex::testdata
