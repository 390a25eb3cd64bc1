#include "oltrex/testdata/KeyForm.h"

namespace oltrex::testdata {

Bytes euVehicleUnitFile(const std::vector<VehicleUnitBlock>& blocks) {
    Bytes out;
    ByteWriter w(out);
    for (const auto& block : blocks) {
        w.u16(block.tag);
        w.bytes(block.data);
    }
    return out;
}

Bytes keyVehicleUnitFile(const std::vector<VehicleUnitBlock>& blocks) {
    Bytes out;
    ByteWriter w(out);
    for (const auto& block : blocks) {
        w.u16(block.tag);
        w.bytes(block.data);
        w.bytes(kEndMarker);
    }
    return out;
}

Bytes keyCardFile(ByteView cardImage) {
    Bytes out;
    out.reserve(cardImage.size() + 6);
    ByteWriter w(out);
    w.u16(kCardFileTag);
    w.bytes(cardImage);
    w.bytes(kCardClosingBytes);
    return out;
}

bool isGen1BlockTag(std::uint16_t tag) { return tag >= 0x7601 && tag <= 0x7605; }
bool isGen2BlockTag(std::uint16_t tag) { return tag >= 0x7621 && tag <= 0x7625; }
bool isGen2Version2BlockTag(std::uint16_t tag) { return tag >= 0x7631 && tag <= 0x7635; }
bool isSBlockTag(std::uint16_t tag) { return tag >= 0x7611 && tag <= 0x7619; }

}  // namespace oltrex::testdata
