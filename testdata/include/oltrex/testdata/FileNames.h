#pragma once
// The key's names for its files and the time texts they use.
//   vehicle unit, generation 1: V_<registration>_<8 upper-case hex digits of the download time>
//   vehicle unit, generation 2: V_<registration>_<YYYY-MM-DD_hh-mm-ss>.2
//   card:                       C_<card number>_<8 hex digits>, ".2" behind a generation-2 card
// Times are seconds since 1970-01-01 00:00:00 UTC, shown in UTC.
#include <cstdint>
#include <string>
#include <string_view>

#include "oltrex/testdata/KeyForm.h"

namespace oltrex::testdata {

struct CalendarTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

CalendarTime calendarFromSeconds(std::uint32_t seconds);
std::uint32_t secondsFromCalendar(const CalendarTime& t);

std::string hexTimeText(std::uint32_t seconds);   // "623B1A2C"
std::string longTimeText(std::uint32_t seconds);  // "2022-03-23_13-01-32"

// The registration or card number as it goes into a name: letters, digits and
// "-" are kept, everything else (spaces, padding, "_", ".") is left out, so
// the "_" fields and the ".2" of a name stay unambiguous. Empty gives "UNKNOWN".
std::string nameField(std::string_view text);

std::string vehicleUnitFileName(Generation generation, std::string_view registration, std::uint32_t downloadTime);
std::string cardFileName(Generation generation, std::string_view cardNumber, std::uint32_t downloadTime);

}  // namespace oltrex::testdata
