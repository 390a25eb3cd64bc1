#include "Invented.h"

#include <array>
#include <string_view>

namespace oltrex::testdata {

namespace {

// Made-up surnames; upper case as most cards print them.
constexpr std::array<std::string_view, 24> kSurnames{
    "HALBERSTEIN", "MORETTO",   "LINDQUAR",  "DUSSELKAMP", "ORTWIGER", "PRANKEL",  "ZELLNITZ", "SOMMERHALD",
    "GRUBENAU",    "KASTELLO",  "BRENNWALD", "TOLLMAREK",  "FEDERSAND", "QUASTORF", "MIRANDEL", "OSTERKAMM",
    "WELLBACHER",  "NORDHAGEN", "PETRASCHK", "ALTHUBER",   "SCHANZLER", "ELBRINK",  "KORNMAYR", "ZADOWSKI"};
constexpr std::array<std::string_view, 20> kFirstNames{
    "ANNA",  "JONAS", "PETRA",  "MARCO", "LENA",   "TOMAS", "ELIF",   "JAN",   "KATRIN", "PAUL",
    "MIRA",  "OSKAR", "SELINA", "DAVID", "ULRIKE", "BORIS", "IRINA",  "FELIX", "NADJA",  "RUBEN"};
constexpr std::array<std::string_view, 10> kCompanyStems{
    "NORDSTERN", "ALPENTRANS", "KREMER & SOHN", "BLAUWEG", "ELBFRACHT", "SONNENROUTE", "GRENZLAND", "WESTKURS",
    "HANSELINK", "TALBRUECKE"};
constexpr std::array<std::string_view, 5> kCompanyForms{
    " LOGISTIK GMBH", " SPEDITION KG", " TRANSPORTE", " CARGO AG", " FRACHT GMBH"};
constexpr std::array<std::string_view, 6> kWorkshops{
    "TACHODIENST MITTE",    "FAHRTSCHREIBER BUERO", "NUTZFAHRZEUG SERVICE", "MESSTECHNIK OSTRAND",
    "KFZ PRUEFSTELLE NORD", "BORDTECHNIK SUED"};
constexpr std::array<std::string_view, 4> kControlBodies{
    "BUNDESAMT GUETERVERKEHR", "VERKEHRSPOLIZEI", "GEWERBEAUFSICHT", "STRASSENKONTROLLE"};
constexpr std::array<std::string_view, 3> kAuthorities{"KRAFTFAHRT-BUNDESAMT", "STADT VERKEHRSAMT",
                                                       "LANDRATSAMT"};
constexpr std::array<std::string_view, 8> kStreets{"HAFENSTRASSE", "INDUSTRIEWEG", "AM GUETERBAHNHOF",
                                                   "RINGSTRASSE",  "LAGERALLEE",   "KANALUFER",
                                                   "WERKSTRASSE",  "MUEHLENDAMM"};
constexpr std::array<std::string_view, 8> kTowns{"HAMBURG", "BREMEN", "KASSEL", "ULM",
                                                 "TRIER",   "GOSLAR", "PASSAU", "ERFURT"};
constexpr std::array<std::string_view, 10> kGermanAreas{"B", "HH", "M", "K", "F", "S", "DO", "HB", "KI", "OS"};
constexpr std::array<std::string_view, 6> kWorldMakers{"WDB", "WMA", "YS2", "XLR", "VF6", "ZCF"};

template <std::size_t N>
std::string pickText(Random& random, const std::array<std::string_view, N>& items) {
    return std::string(random.pick(std::span<const std::string_view>(items)));
}

}  // namespace

InventedPerson inventPerson(Random& random) {
    InventedPerson p;
    p.surname = pickText(random, kSurnames);
    p.firstNames = pickText(random, kFirstNames);
    if (random.chance(25)) p.firstNames += " " + pickText(random, kFirstNames);
    do {
        p.birthYear = random.between(1958, 2001);
    } while (p.birthYear % 100 == 76);
    p.birthMonth = random.between(1, 12);
    p.birthDay = random.between(1, 28);
    return p;
}

std::string inventCompany(Random& random) { return pickText(random, kCompanyStems) + pickText(random, kCompanyForms); }
std::string inventWorkshop(Random& random) { return pickText(random, kWorkshops) + " GMBH"; }
std::string inventControlBody(Random& random) { return pickText(random, kControlBodies); }
std::string inventAuthority(Random& random) { return pickText(random, kAuthorities); }

std::string inventAddress(Random& random) {
    return pickText(random, kStreets) + " " + std::to_string(random.between(1, 180)) + ", " + random.digits(5) + " " +
           pickText(random, kTowns);
}

std::string inventRegistration(Random& random, std::uint8_t nation) {
    std::string r;
    do {
        switch (nation) {
            case 13:  // D
                r = pickText(random, kGermanAreas) + " " + random.letters(static_cast<std::size_t>(random.between(1, 2))) +
                    " " + std::to_string(random.between(1, 9999));
                break;
            case 1:  // A
                r = random.letters(1) + " " + std::to_string(random.between(100, 99999)) + " " + random.letters(1);
                break;
            case 38:  // NL
                r = random.digits(2) + "-" + random.letters(3) + "-" + random.digits(1);
                break;
            case 40:  // PL
                r = random.letters(2) + " " + random.digits(5);
                break;
            default:
                r = random.letters(2) + " " + random.digits(3) + " " + random.letters(2);
                break;
        }
    } while (r.find("TREP") != std::string::npos);
    return r;
}

std::string inventVin(Random& random) {
    // No I, O or Q in a VIN.
    constexpr std::string_view kVinAlphabet = "ABCDEFGHJKLMNPRSTUVWXYZ0123456789";
    return pickText(random, kWorldMakers) + random.letters(6, kVinAlphabet) + random.digits(8);
}

std::string inventCardNumber(Random& random, CardType type) {
    constexpr std::string_view kOwnerLetters = "ABCDEFGHJKLMNPRSUWXYZ";
    if (type == CardType::Driver) return random.letters(2, kOwnerLetters) + random.digits(12) + "00";
    return random.letters(2, kOwnerLetters) + random.digits(11) + "1" + "0" + "0";
}

std::string countryText(std::uint8_t nation) {
    switch (nation) {
        case 1: return "AT";
        case 6: return "BE";
        case 12: return "CZ";
        case 13: return "DE";
        case 15: return "ES";
        case 17: return "FR";
        case 26: return "IT";
        case 38: return "NL";
        case 40: return "PL";
        default: return "EU";
    }
}

}  // namespace oltrex::testdata
