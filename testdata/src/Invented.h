#pragma once
// Invented people, companies, vehicles and card numbers for generated files.
// All names here are made up; nothing is taken from real downloads.
#include <cstdint>
#include <string>

#include "oltrex/testdata/CardTable.h"
#include "oltrex/testdata/Random.h"

namespace oltrex::testdata {

struct InventedPerson {
    std::string surname;
    std::string firstNames;
    int birthYear = 1980, birthMonth = 1, birthDay = 1;
};

InventedPerson inventPerson(Random& random);
std::string inventCompany(Random& random);
std::string inventWorkshop(Random& random);
std::string inventControlBody(Random& random);
std::string inventAuthority(Random& random);
std::string inventAddress(Random& random);
// A registration in the style of the nation (code of the nation table, 13 = D).
std::string inventRegistration(Random& random, std::uint8_t nation);
std::string inventVin(Random& random);
// 16 characters: driver cards 14 + replacement and renewal index; the other
// cards 13 + consecutive, replacement and renewal index.
std::string inventCardNumber(Random& random, CardType type);
// Two-letter country text of a nation code, as used in approval and address texts.
std::string countryText(std::uint8_t nation);

}  // namespace oltrex::testdata
