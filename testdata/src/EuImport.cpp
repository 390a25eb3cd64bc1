#include "oltrex/testdata/EuImport.h"

#include <algorithm>

#include "oltrex/blockscan/BlockScan.h"
#include "oltrex/testdata/FileNames.h"
#include "oltrex/testdata/Random.h"

namespace oltrex::testdata {

namespace {

bool validTime(std::uint32_t t) { return t != 0 && (t & 0x80000000u) == 0; }

std::string fieldText(ByteView data, std::size_t offset, std::size_t length) {
    std::string text;
    for (std::size_t i = offset; i < offset + length && i < data.size(); ++i) {
        const auto c = static_cast<char>(data[i]);
        text.push_back(data[i] == 0x00 || data[i] == 0xFF ? ' ' : c);
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

struct VehicleName {
    std::string registration;
    std::uint32_t time = 0;
};

// Registration (or VIN) and current time from the first overview block.
VehicleName vehicleNameFields(ByteView file, const EuLayout& layout) {
    VehicleName name;
    for (const EuBlock& block : layout.blocks) {
        const ByteView data = file.subspan(block.offset + 2, block.dataSize);
        if (block.tag == 0x7601) {
            name.registration = fieldText(data, 407, 13);
            if (name.registration.empty()) name.registration = fieldText(data, 388, 17);
            name.time = readBe32(data, 420);
            return name;
        }
        if (block.tag == 0x7621 || block.tag == 0x7631) {
            std::string vin;
            std::size_t pos = 0;
            while (data.size() - pos >= 5) {
                const std::uint8_t type = data[pos];
                const std::size_t size = readBe16(data, pos + 1);
                const std::size_t count = readBe16(data, pos + 3);
                const ByteView first = data.subspan(pos + 5, count ? size : 0);
                if (count && type == 0x0B && size >= 14) name.registration = fieldText(first, 1, 13);
                if (count && type == 0x24 && size >= 15) name.registration = fieldText(first, 2, 13);
                if (count && type == 0x0A && size >= 17) vin = fieldText(first, 0, 17);
                if (count && type == 0x03 && size >= 4) name.time = readBe32(first, 0);
                pos += 5 + size * count;
            }
            if (name.registration.empty()) name.registration = vin;
            return name;
        }
    }
    return name;
}

struct CardName {
    std::string number;
    std::uint32_t time = 0;
};

CardName cardNameFields(ByteView file, const EuLayout& layout) {
    CardName name;
    for (const EuCardRecord& r : layout.records) {
        if (r.appendix != 0x00 && r.appendix != 0x02) continue;
        const ByteView data = file.subspan(r.offset + 5, r.length);
        if (r.fileId == 0x0520 && name.number.empty() && data.size() >= 17) name.number = fieldText(data, 1, 16);
        if (r.fileId == 0x050E && name.time == 0 && data.size() >= 4) name.time = readBe32(data, 0);
    }
    return name;
}

}  // namespace

std::string ImportRefusal::message() const {
    return file + ": not imported, offset " + std::to_string(offset) + ": " + reason;
}

std::optional<Bytes> keyFormOfEuFile(ByteView euFile, WalkError& error) {
    const auto layout = walkEuFile(euFile, error);
    if (!layout) return std::nullopt;
    if (layout->kind == EuFileKind::Card) return keyCardFile(euFile);
    Bytes out;
    out.reserve(euFile.size() + 4 * layout->blocks.size());
    ByteWriter w(out);
    for (const EuBlock& block : layout->blocks) {
        w.bytes(euFile.subspan(block.offset, 2 + block.dataSize));
        w.bytes(kEndMarker);
    }
    return out;
}

std::optional<ImportedFile> importEuFile(ByteView euFile, std::string_view label, std::uint32_t fallbackTime,
                                         ImportRefusal& refusal) {
    WalkError error;
    const auto layout = walkEuFile(euFile, error);
    if (!layout) {
        refusal = {std::string(label), error.offset, error.reason};
        return std::nullopt;
    }
    auto keyBytes = keyFormOfEuFile(euFile, error);
    if (!keyBytes) {
        refusal = {std::string(label), error.offset, error.reason};
        return std::nullopt;
    }
    ImportedFile imported;
    imported.kind = layout->kind;
    imported.generation = layout->generation;
    imported.file.bytes = std::move(*keyBytes);
    if (layout->kind == EuFileKind::Card) {
        const CardName n = cardNameFields(euFile, *layout);
        imported.file.name = cardFileName(layout->generation, n.number, validTime(n.time) ? n.time : fallbackTime);
    } else {
        const VehicleName n = vehicleNameFields(euFile, *layout);
        imported.file.name =
            vehicleUnitFileName(layout->generation, n.registration, validTime(n.time) ? n.time : fallbackTime);
    }
    return imported;
}

std::optional<KeyFileLayout> walkKeyFile(ByteView keyFile, WalkError& error) {
    KeyFileLayout layout;
    if (keyFile.size() >= 2 && readBe16(keyFile, 0) == kCardFileTag) {
        layout.kind = EuFileKind::Card;
        if (keyFile.size() < 2 + kCardClosingBytes.size()) {
            error = {0, "a card file needs its tag and 4 closing bytes"};
            return std::nullopt;
        }
        auto records = walkCardRecords(keyFile, 2, keyFile.size() - kCardClosingBytes.size(), error);
        if (!records) return std::nullopt;
        layout.records = std::move(*records);
        return layout;
    }
    if (keyFile.empty()) {
        error = {0, "the file is empty"};
        return std::nullopt;
    }
    std::size_t pos = 0;
    while (pos < keyFile.size()) {
        if (keyFile.size() - pos < 2 || keyFile[pos] != kTagByte) {
            error = {pos, "no block tag where the next block should start"};
            return std::nullopt;
        }
        const std::uint16_t tag = readBe16(keyFile, pos);
        std::size_t dataSize = 0;
        if (isEuBlockTag(tag)) {
            const auto walked = walkVehicleUnitBlock(keyFile, tag, pos + 2, error);
            if (!walked) return std::nullopt;
            dataSize = *walked;
            const std::size_t marker = pos + 2 + dataSize;
            if (keyFile.size() - marker < kEndMarker.size() ||
                !std::equal(kEndMarker.begin(), kEndMarker.end(), keyFile.begin() + static_cast<std::ptrdiff_t>(marker))) {
                error = {marker, "the end marker does not follow the block"};
                return std::nullopt;
            }
        } else {
            const std::size_t marker = findBlockEnd(keyFile, pos + 2);
            if (marker == kNoOffset) {
                error = {pos, "the block has no end marker"};
                return std::nullopt;
            }
            dataSize = marker - (pos + 2);
        }
        layout.blocks.push_back({tag, pos, dataSize});
        pos += 2 + dataSize + kEndMarker.size();
    }
    return layout;
}

std::optional<Bytes> euFileOfKeyForm(ByteView keyFile, WalkError& error) {
    const auto layout = walkKeyFile(keyFile, error);
    if (!layout) return std::nullopt;
    if (layout->kind == EuFileKind::Card)
        return Bytes(keyFile.begin() + 2, keyFile.end() - static_cast<std::ptrdiff_t>(kCardClosingBytes.size()));
    Bytes out;
    out.reserve(keyFile.size());
    for (const EuBlock& block : layout->blocks) {
        const auto from = keyFile.begin() + static_cast<std::ptrdiff_t>(block.offset);
        out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(2 + block.dataSize));
    }
    return out;
}

}  // namespace oltrex::testdata
