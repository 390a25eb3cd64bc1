#include "Fields.h"

namespace oltrex::testdata::fields {

void name(ByteWriter& w, std::string_view text) {
    w.u8(kLatin1);
    w.text(text, 35);
}

void vehicleRegistration(ByteWriter& w, std::uint8_t nation, std::string_view registration) {
    w.u8(nation);
    w.u8(kLatin1);
    w.text(registration, 13);
}

void registrationNumber(ByteWriter& w, std::string_view registration) {
    w.u8(kLatin1);
    w.text(registration, 13);
}

void fullCardNumber(ByteWriter& w, CardType type, std::uint8_t nation, std::string_view number) {
    w.u8(static_cast<std::uint8_t>(type));
    w.u8(nation);
    w.text(number, 16);
}

void noCardNumber(ByteWriter& w) { w.zeros(18); }

void fullCardNumberAndGeneration(ByteWriter& w, CardType type, std::uint8_t nation, std::string_view number,
                                 std::uint8_t generation) {
    fullCardNumber(w, type, nation, number);
    w.u8(generation);
}

void noCardNumberAndGeneration(ByteWriter& w) { w.zeros(19); }

void bcd(ByteWriter& w, unsigned value, int digits) {
    Bytes reversed;
    for (int i = 0; i < digits; i += 2) {
        const unsigned low = value % 10;
        value /= 10;
        const unsigned high = value % 10;
        value /= 10;
        reversed.push_back(static_cast<std::uint8_t>((high << 4) | low));
    }
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) w.u8(*it);
}

bool bcdHasTagByte(unsigned value, int digits) {
    Bytes out;
    ByteWriter w(out);
    bcd(w, value, digits);
    for (const auto b : out)
        if (b == kTagByte) return true;
    return false;
}

void bcdDate(ByteWriter& w, int year, int month, int day) {
    bcd(w, static_cast<unsigned>(year), 4);
    bcd(w, static_cast<unsigned>(month), 2);
    bcd(w, static_cast<unsigned>(day), 2);
}

void extendedSerialNumber(ByteWriter& w, Random& random, std::uint8_t equipmentType, std::uint8_t manufacturer) {
    w.u32(random.value(0xFFFFFFFFu, 4));
    bcd(w, static_cast<unsigned>(random.between(1, 12)), 2);
    unsigned year;
    do {
        year = static_cast<unsigned>(random.between(10, 23));
    } while (year == 76);
    bcd(w, year, 2);
    w.u8(equipmentType);
    w.u8(manufacturer);
}

std::uint16_t activityChange(int slot, int crew, int cardOut, int activity, int minute) {
    return static_cast<std::uint16_t>(((slot & 1) << 15) | ((crew & 1) << 14) | ((cardOut & 1) << 13) |
                                      ((activity & 3) << 11) | (minute & 0x7FF));
}

}  // namespace oltrex::testdata::fields
