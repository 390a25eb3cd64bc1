#pragma once
// Generated tachograph card downloads: the card's elementary files as EU card
// records (2-byte file identifier, 1-byte appendix, 2-byte big-endian length,
// data), in the key's form 0x76 0x06, image, 4 closing bytes.
//
// Every EF of the converter's table is present at the table's size, with one
// exception: the identification EF (0x0520) has the size of the card type's
// holder layout (identificationSize()), because workshop and control cards
// hold the holder's names at offsets 138 and 174. Workshop, control and
// company cards also hold their own EFs (calibration and sensor installation
// 0x050A/0x050B, controller activity 0x050C, company activity 0x050D).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "oltrex/testdata/Bytes.h"
#include "oltrex/testdata/CardTable.h"
#include "oltrex/testdata/KeyForm.h"

namespace oltrex::testdata {

inline constexpr std::uint32_t kDefaultDownloadTime = 0x622B5715;  // 2022-03-11 14:05:09 UTC

struct CardOptions {
    CardType type = CardType::Driver;
    Generation generation = Generation::First;
    std::uint64_t seed = 1;
    std::uint32_t downloadTime = kDefaultDownloadTime;
    std::uint8_t nation = 13;     // issuing nation (13 = D)
    std::string cardNumber;       // 16 characters; empty: invented
    std::string surname;          // card holder (not company cards); empty: invented
    std::string firstNames;
    std::string organisation;     // company, workshop or control body; empty: invented
    std::uint16_t identificationDataSize = 0;  // 0: identificationSize(type)
    // Generation 2: also the chip records 0x0002 and 0x0005 with appendix 2.
    bool gen2ChipRecords = true;
};

struct CardRecord {
    std::uint16_t fileId = 0;
    std::uint8_t appendix = 0;
    Bytes data;
};

struct GeneratedCard {
    CardOptions options;                    // with the invented values filled in
    std::array<std::uint8_t, 8> chip{};  // EF 0x0005: IC serial number and manufacturing references
    std::vector<CardRecord> records;  // in download order
};

GeneratedCard buildCardContent(const CardOptions& options);
// The records one after another: the EU card download file.
Bytes cardImage(const std::vector<CardRecord>& records);
// Name after the key's convention and the key's form.
KeyFile buildCardFile(const CardOptions& options);

}  // namespace oltrex::testdata
