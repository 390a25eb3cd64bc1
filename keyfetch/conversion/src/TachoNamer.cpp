// The name of one container or EU file, built from the records as the
// container maker meets them.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/PathText.h"

namespace oltrex {
namespace {

std::string lastCharacters(std::string_view text, std::size_t n) {
    return std::string(text.size() > n ? text.substr(text.size() - n) : text);
}

bool startsWithS(std::string_view text) { return !text.empty() && (text[0] == 'S' || text[0] == 's'); }

bool isOltrex(std::string_view text) {
    static constexpr std::string_view kWord = "oltrex";
    if (text.size() != kWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != kWord[i]) return false;
    }
    return true;
}

// Positions of every "_" in text.
std::vector<std::size_t> underscores(std::string_view text) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') at.push_back(i);
    }
    return at;
}

// Field i (0-based) of text split at "_"; requires at least i underscores.
std::string field(std::string_view text, const std::vector<std::size_t>& at, std::size_t i) {
    const std::size_t begin = i == 0 ? 0 : at[i - 1] + 1;
    const std::size_t end = i < at.size() ? at[i] : text.size();
    return std::string(text.substr(begin, end - begin));
}

std::string format(const char* pattern, auto... args) {
    const int n = std::snprintf(nullptr, 0, pattern, args...);
    std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) std::snprintf(text.data(), text.size() + 1, pattern, args...);
    return text;
}

// The card number: 16 bytes as they are, up to a terminating zero byte.
std::string cardNumberText(std::span<const std::uint8_t> data) {
    std::string text;
    for (std::size_t i = 1; i < 17; ++i) {
        if (data[i] == 0) break;
        text += static_cast<char>(data[i]);
    }
    makeFileNameSafe(text);
    return utf8FromCodePage1252(text);
}

}  // namespace

TachoNamer::TachoNamer(NamingInput input, Clock& clock, const SettingsStore& settings)
    : input_(std::move(input)), clock_(clock), settings_(settings), cardTime_(clock.localTime()) {
    // From firmware 105 on, the key writes the download time into the last 8
    // characters of the file name.
    if (input_.firmwareNumber >= 105) cardTime_ = timeFromHexText(lastCharacters(input_.kindName, 8), clock_);
}

bool TachoNamer::smartPrefix() const { return startsWithS(input_.kindName); }

std::optional<LocalTime> TachoNamer::onVehicleOverviewGen1(std::span<const std::uint8_t> data) {
    // A truncated overview cannot be trusted to hold the fields: it names nothing.
    if (data.size() < kOverviewMinimumLength) return std::nullopt;
    const char* prefix = smartPrefix() ? "S_" : "V_";
    const std::string nation = nationText(data[kOverviewNationOffset]);
    const std::uint8_t* timeField = data.data() + kOverviewTimeOffset;

    std::string registration = takeCharacters(data.subspan(kOverviewRegistrationOffset, 13));
    trimSpaces(registration);
    std::string n = prefix + registration;
    n.erase(n.find_last_not_of(' ') + 1);
    cleanNameText(n);
    if (n.size() == 2) {
        // No registration: the vehicle identification number, taken as it stands.
        registration = takeCharacters(data.subspan(kOverviewVinOffset, 17));
        n = prefix + registration;
        trimSpaces(n);
        if (n.find('?') != std::string::npos || n.size() == 2) n = std::string(prefix) + "UnknownVehicleNumber";
        cleanNameText(n);
    }

    if (input_.mode == 0) {
        if (styleEs()) {
            n = n + "_" + nation + "_" + formatTimeShort(timeField) + ".dlc";
        } else {
            n = n + "_" + formatTimeLong(timeField) + ".dlc";
        }
    } else {
        std::string stem = "M_" + registration + "_" + formatTimeLong(timeField);
        cleanNameText(stem);
        n = stem + ".DDD";
    }
    name_ = std::move(n);
    return timeFieldToTime(timeField, clock_);
}

void TachoNamer::onVehicleOverviewGen2() {
    const std::string base = splitPath(input_.localPath).base;
    const auto at = underscores(base);

    std::string vehicle = at.size() >= 3 ? field(base, at, 1) : field(base, at, 0);
    if (isOltrex(vehicle)) {
        if (at.size() >= 4) {
            vehicle = field(base, at, 2);
        } else {
            vehicle = at.size() >= 2 ? base.substr(0, at[1]) : base;
        }
    }

    std::string time = at.size() >= 2 ? base.substr(at[at.size() - 2] + 1) : base;
    const bool timeLike = std::all_of(time.begin(), time.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
    if (!timeLike) time = formatTimeLong(timeFromHexText(lastCharacters(input_.kindName, 8), clock_));

    makeFileNameSafe(vehicle);
    makeFileNameSafe(time);
    name_ = (smartPrefix() ? "S_" : "V_") + vehicle + "_" + time + ".dlc";
}

void TachoNamer::onSmartBlock() {
    if (!name_.empty()) name_[0] = 'S';
}

bool TachoNamer::onCardType(std::uint8_t type) {
    cardType_ = static_cast<CardType>(type);
    if (cardType_ == CardType::Control || cardType_ == CardType::Company) {
        nameControlOrCompany();
        return true;
    }
    return false;
}

void TachoNamer::onChipIdentification(std::span<const std::uint8_t> data) {
    if (data.size() < 8) return;  // too short to hold the chip number
    std::copy_n(data.begin(), 8, chip_);
}

void TachoNamer::nameControlOrCompany() {
    const LocalTime& c = cardTime_;
    const std::string chip = chipSerialText(chip_);
    if (input_.mode == 1) {
        name_ = format("C_%04i%02i%02i_%02i%02i_%s.DDD", c.year, c.month, c.day, c.hour, c.minute, chip.c_str());
    } else if (styleEs()) {
        name_ = format("C_%s_E_%04i%02i%02i_%02i%02i.dlc", chip.c_str(), c.year, c.month, c.day, c.hour, c.minute);
    } else if (styleEn()) {
        name_ = format("cd%06d.crd", nextCardFileNumber(settings_));
    } else {
        name_ = format("C_%s_%04i-%02i-%02i_%02i-%02i-%02i.dlc", chip.c_str(), c.year, c.month, c.day, c.hour,
                       c.minute, c.second);
    }
}

void TachoNamer::onIdentification(std::span<const std::uint8_t> data) {
    const bool driver = cardType_ == CardType::Driver;
    const bool workshop = cardType_ == CardType::Workshop;
    if (!driver && !workshop) return;
    // A record too short for the holder's names does not name the card.
    if (data.size() < (driver ? kIdentificationDriverMinimum : kIdentificationWorkshopMinimum)) return;

    const LocalTime& c = cardTime_;
    const std::string nation = nationText(data[0]);
    const std::string cardNumber = cardNumberText(data);
    const std::size_t surnameAt = driver ? 66 : 138;
    const std::size_t firstNamesAt = driver ? 102 : 174;
    std::string surname = takeCharacters(data.subspan(surnameAt, 35));
    std::string firstNames = takeCharacters(data.subspan(firstNamesAt, 35));
    trimSpaces(surname);
    trimSpaces(firstNames);
    if (driver) {
        cleanNameText(surname);
        cleanNameText(firstNames);
    }
    // Workshop holders keep their characters: "Müller" stays "Müller".
    surname = utf8FromCodePage1252(surname);
    firstNames = utf8FromCodePage1252(firstNames);

    if (input_.mode == 1) {
        if (driver) {
            name_ = format("C_%s_%s_%04i-%02i-%02i_%02i-%02i-%02i.DDD", surname.c_str(), firstNames.c_str(), c.year,
                           c.month, c.day, c.hour, c.minute, c.second);
        } else {
            makeFileNameSafe(surname);
            name_ = format("C_%04i%02i%02i_%02i%02i_%s_%s_%s.DDD", c.year, c.month, c.day, c.hour, c.minute,
                           nation.c_str(), surname.c_str(), cardNumber.c_str());
        }
    } else if (styleEs()) {
        const std::string holder = "C_" + cardNumber + "_" + nation;
        name_ = format("%s_%04i%02i%02i_%02i%02i.dlc", holder.c_str(), c.year, c.month, c.day, c.hour, c.minute);
    } else if (styleEn()) {
        name_ = format("cd%06d.crd", nextCardFileNumber(settings_));
    } else {
        std::string holder = "C_" + surname + "_" + firstNames;
        std::replace(holder.begin(), holder.end(), ' ', '_');
        if (holder.find('?') != std::string::npos || (surname.empty() && firstNames.empty())) {
            holder = "C_UnknownCardHolderName";
        }
        makeFileNameSafe(holder);
        name_ = std::move(holder);  // the date and extension come with the final adjustments
    }
}

void TachoNamer::doubledPrefixCheck() {
    if (name_.size() < 4 || name_[0] != name_[2] || name_[1] != name_[3] || input_.firmwareNumber < 800) return;
    const auto at = underscores(input_.kindName);
    std::string vehicle = at.size() >= 2 ? field(input_.kindName, at, 1) : std::string();
    if (vehicle.empty()) vehicle = "UnknownContainerName";
    makeFileNameSafe(vehicle);
    name_ = name_.substr(0, 2) + vehicle + "_" + name_.substr(4);
}

void TachoNamer::finishWorkingName(const LocalTime& headerTime, bool vehicleUnit) {
    const bool holderCard = cardType_ == CardType::Driver || cardType_ == CardType::Workshop;
    // The date completes a holder's name; a card that named nobody keeps its short name.
    if (input_.mode == 0 && holderCard && !styleEs() && !styleEn() && !name_.empty()) {
        name_ += format("_%04i-%02i-%02i_%02i-%02i-%02i.dlc", headerTime.year, headerTime.month, headerTime.day,
                        headerTime.hour, headerTime.minute, headerTime.second);
    }
    finishFiledName(vehicleUnit);
}

void TachoNamer::finishFiledName(bool vehicleUnit) {
    if (!vehicleUnit) return;
    doubledPrefixCheck();
    doubledPrefixCheck();
}

std::string TachoNamer::shortName(bool vehicleUnit, bool smartBlockMet) const {
    PathParts parts = splitPath(input_.localPath);
    if (vehicleUnit) parts.ext = ".dlc";
    if (!parts.base.empty() && parts.base[0] != 'C' && parts.base[0] != 'c') {
        parts.base[0] = smartBlockMet ? 'S' : 'V';
    }
    std::string name = parts.base + parts.ext;
    makeFileNameSafe(name);
    return name;
}

}  // namespace oltrex
