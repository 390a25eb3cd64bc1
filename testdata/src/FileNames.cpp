#include "oltrex/testdata/FileNames.h"

#include <cstdio>

namespace oltrex::testdata {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian), and back.
void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
}

std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(m > 2 ? m - 3 : m + 9) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

CalendarTime calendarFromSeconds(std::uint32_t seconds) {
    CalendarTime t;
    civilFromDays(seconds / 86400, t.year, t.month, t.day);
    const std::uint32_t rest = seconds % 86400;
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::uint32_t secondsFromCalendar(const CalendarTime& t) {
    const std::int64_t days = daysFromCivil(t.year, t.month, t.day);
    return static_cast<std::uint32_t>(days * 86400 + t.hour * 3600 + t.minute * 60 + t.second);
}

std::string hexTimeText(std::uint32_t seconds) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", seconds);
    return text;
}

std::string longTimeText(std::uint32_t seconds) {
    const CalendarTime t = calendarFromSeconds(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string nameField(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
        if (keep) out.push_back(c);
    }
    return out.empty() ? "UNKNOWN" : out;
}

std::string vehicleUnitFileName(Generation generation, std::string_view registration, std::uint32_t downloadTime) {
    if (generation == Generation::First) return "V_" + nameField(registration) + "_" + hexTimeText(downloadTime);
    return "V_" + nameField(registration) + "_" + longTimeText(downloadTime) + ".2";
}

std::string cardFileName(Generation generation, std::string_view cardNumber, std::uint32_t downloadTime) {
    std::string name = "C_" + nameField(cardNumber) + "_" + hexTimeText(downloadTime);
    if (generation == Generation::Second) name += ".2";
    return name;
}

}  // namespace oltrex::testdata
