#pragma once
// Names of containers (".dlc", "cd%06d.crd") and EU download files (".DDD"),
// made from the content of a tachograph download: a vehicle unit after its
// registration and download time, a driver or workshop card after its holder,
// a control or company card after its chip number.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Settings.h"

namespace oltrex {

// ---- Text and time helpers -------------------------------------------------

// Every character outside [0-9A-Za-z_-] becomes "_" (in place).
void cleanNameText(std::string& text);

// For fields that keep their characters (workshop holder names, card numbers,
// parts of the key's file names): path separators, control characters and
// \ / : * ? " < > | become "_", and a text of dots alone becomes underscores,
// so that the name stays inside its folder. In place.
void makeFileNameSafe(std::string& text);

// Removes spaces from both ends.
void trimSpaces(std::string& text);

// A fixed-length character field: each byte one character, 0x00 and 0xFF
// become a space.
std::string takeCharacters(std::span<const std::uint8_t> field);

// Card text, one byte a character in code page 1252 (which the programs' names
// are in), as the UTF-8 that the programs keep: "M\xFCller" -> "Müller".
std::string utf8FromCodePage1252(std::string_view text);

// Nation text of a numeric nation code: 1..55 from the table, 0 and codes of
// 0x80 and above "WLD"; codes 56..127 (no row in the table) give "UNK".
std::string nationText(std::uint8_t code);

// A 4-byte big-endian time field holds a time when it is above 0 as a signed
// 32-bit number (0, 0xFFFFFFFF and every value with the top bit set mean none).
bool isValidTimeField(const std::uint8_t* field);
std::uint32_t timeFieldValue(const std::uint8_t* field);

// Exactly 8 characters "0"-"9"/"A"-"F" holding a time: its UTC break-down;
// anything else: the current local time of the clock.
LocalTime timeFromHexText(std::string_view text, Clock& clock);
// A valid time field: its UTC break-down; else the current local time.
LocalTime timeFieldToTime(const std::uint8_t* field, Clock& clock);

// "%04i-%02i-%02i_%02i-%02i-%02i" and "%04i%02i%02i_%02i%02i".
std::string formatTimeLong(const LocalTime& t);
std::string formatTimeShort(const LocalTime& t);
// Of a time field: empty for no time.
std::string formatTimeLong(const std::uint8_t* field);
std::string formatTimeShort(const std::uint8_t* field);

// Next number of an "EN" card container: the highest NNNNNN of the plain files
// "cdNNNNNN.crd" in the container folder ("ContainerPath") + 1, or 1.
int nextCardFileNumber(const SettingsStore& settings);

// When a file exists at `path`, numbers it: folder + base + "[i]" + extension
// with i = 1, 2, ... until the name is free.
void makeUniquePath(std::string& path);

// Each of the 8 bytes as upper-case hex without leading zeros, joined.
std::string chipSerialText(const std::uint8_t* chip);

// ---- The name under construction ------------------------------------------

// Card types of the application identification (file 0x0501).
enum class CardType : int { None = 0, Driver = 1, Workshop = 2, Control = 3, Company = 4 };

struct NamingInput {
    std::string localPath;       // the downloaded file in the work folder
    std::string kindName;        // key file name with the kind letter in front
    int firmwareNumber = 0;      // decimal firmware number of the key
    int mode = 0;                // 0 container, 1 EU file
    std::string language;        // "DE", "ES", "EN"; anything else counts as "DE"
};

// Offsets inside a generation-1 overview block (after its tag).
inline constexpr std::size_t kOverviewVinOffset = 388;
inline constexpr std::size_t kOverviewNationOffset = 405;
inline constexpr std::size_t kOverviewRegistrationOffset = 407;
inline constexpr std::size_t kOverviewTimeOffset = 420;
inline constexpr std::size_t kOverviewMinimumLength = 424;

// Lengths an identification record (file 0x0520) needs for each card type.
inline constexpr std::size_t kIdentificationMinimum = 17;          // nation, card number
inline constexpr std::size_t kIdentificationDriverMinimum = 137;   // + surname, first names
inline constexpr std::size_t kIdentificationWorkshopMinimum = 209;

// The name N of one container run. The container maker feeds it the records
// as it meets them and asks for the working and the filed name at the end.
class TachoNamer {
public:
    TachoNamer(NamingInput input, Clock& clock, const SettingsStore& settings);

    // Generation-1 overview block (tag 0x7601) data. Names the file and gives
    // the vehicle unit's time, which becomes the header time. A block too
    // short to hold the fields names nothing and gives no time.
    std::optional<LocalTime> onVehicleOverviewGen1(std::span<const std::uint8_t> data);
    // Generation-2 overview block (0x7621, and 0x7631 of version 2): the name
    // comes from the local file's base name.
    void onVehicleOverviewGen2();
    // A block 0x7611: an existing name starts with "S" from now on.
    void onSmartBlock();

    // Card records with appendix 0, in the order of the card image.
    // Returns true when the walk ends here (a control or company card named).
    bool onCardType(std::uint8_t type);
    void onChipIdentification(std::span<const std::uint8_t> data);
    void onIdentification(std::span<const std::uint8_t> data);
    // The card time: the key's time of the download (firmware 105 and later)
    // or the local time when the run started.
    const LocalTime& cardTime() const { return cardTime_; }

    // Adjustments once the content is complete: the card date (with the header
    // time) and the doubled-prefix check. `vehicleUnit`: vehicle blocks met.
    void finishWorkingName(const LocalTime& headerTime, bool vehicleUnit);
    // The doubled-prefix check again, before the name is filed.
    void finishFiledName(bool vehicleUnit);

    const std::string& name() const { return name_; }
    // A name is used only when it has more than 6 characters.
    bool hasName() const { return name_.size() > 6; }
    CardType cardType() const { return cardType_; }

    // The short name of a file that got no name: the local file's base name
    // with ".dlc" as extension when vehicle blocks were met, and its first
    // letter "S" or "V" unless it starts with "C"/"c".
    std::string shortName(bool vehicleUnit, bool smartBlockMet) const;

private:
    bool smartPrefix() const;
    bool isLanguage(std::string_view lang) const { return input_.language == lang; }
    bool styleEs() const { return isLanguage("ES"); }
    bool styleEn() const { return isLanguage("EN"); }
    void nameControlOrCompany();
    void doubledPrefixCheck();

    NamingInput input_;
    Clock& clock_;
    const SettingsStore& settings_;
    std::string name_;
    LocalTime cardTime_;
    CardType cardType_ = CardType::None;
    std::uint8_t chip_[8] = {};
};

}  // namespace oltrex
