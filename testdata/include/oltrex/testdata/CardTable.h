#pragma once
// Card kinds and the elementary files (EFs) that a card download holds, with
// the data sizes the download program's card converter expects.
#include <cstdint>
#include <span>
#include <string_view>

namespace oltrex::testdata {

// The card type byte of the application identification (EF 0x0501).
enum class CardType : std::uint8_t { Driver = 1, Workshop = 2, Control = 3, Company = 4 };

// Appendix byte of a card record.
inline constexpr std::uint8_t kGen1Data = 0x00;
inline constexpr std::uint8_t kGen1Signature = 0x01;
inline constexpr std::uint8_t kGen2Data = 0x02;
inline constexpr std::uint8_t kGen2Signature = 0x03;

struct CardFileEntry {
    std::string_view name;
    std::uint16_t fileId;
    std::uint8_t appendix;
    std::uint16_t size;
};

// The converter's 62 EFs in its order: entries 0-27 generation 1, 28-61 generation 2.
std::span<const CardFileEntry> converterCardFiles();
inline constexpr std::size_t kGen1CardFileCount = 28;

// Data size of the identification EF (0x0520) for a card type: the card
// identification (65 bytes) and the holder part of that card type. Driver
// cards: 143 (the converter's size); workshop and control cards hold the
// holder's names at 138 and 174 and need 211; company cards 139.
std::uint16_t identificationSize(CardType type);

}  // namespace oltrex::testdata
