#pragma once
// Writers for the data types that recur in tachograph records (EU regulation
// data dictionary): names, registrations, card numbers, dates.
#include <cstdint>
#include <string_view>

#include "oltrex/testdata/Bytes.h"
#include "oltrex/testdata/CardTable.h"
#include "oltrex/testdata/Random.h"

namespace oltrex::testdata::fields {

inline constexpr std::uint8_t kLatin1 = 0x01;  // code page byte: ISO/IEC 8859-1

// Name / Address: code page byte and 35 characters (36 bytes).
void name(ByteWriter& w, std::string_view text);
// VehicleRegistrationIdentification: nation, code page, 13 characters (15 bytes).
void vehicleRegistration(ByteWriter& w, std::uint8_t nation, std::string_view registration);
// VehicleRegistrationNumber: code page and 13 characters (14 bytes).
void registrationNumber(ByteWriter& w, std::string_view registration);
// FullCardNumber: card type, issuing nation, 16 characters (18 bytes); type 0 and zeros for no card.
void fullCardNumber(ByteWriter& w, CardType type, std::uint8_t nation, std::string_view number);
void noCardNumber(ByteWriter& w);
// FullCardNumberAndGeneration: FullCardNumber and the generation byte (19 bytes).
void fullCardNumberAndGeneration(ByteWriter& w, CardType type, std::uint8_t nation, std::string_view number,
                                 std::uint8_t generation);
void noCardNumberAndGeneration(ByteWriter& w);
// Datef: four BCD bytes yyyy mm dd.
void bcdDate(ByteWriter& w, int year, int month, int day);
// A BCD value of `digits` digits (2 per byte).
void bcd(ByteWriter& w, unsigned value, int digits);
// ExtendedSerialNumber: serial 4, month/year BCD 2, equipment type 1, manufacturer 1.
void extendedSerialNumber(ByteWriter& w, Random& random, std::uint8_t equipmentType, std::uint8_t manufacturer);
// ActivityChangeInfo: slot, driving status, card status, activity, minutes since midnight.
std::uint16_t activityChange(int slot, int crew, int cardOut, int activity, int minute);

// True when the BCD form of `value` (digits long) holds the byte 0x76.
bool bcdHasTagByte(unsigned value, int digits);

}  // namespace oltrex::testdata::fields
