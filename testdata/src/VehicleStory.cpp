#include "VehicleStory.h"

#include <stdexcept>

namespace oltrex::testdata {

void expectBlockSize(const Bytes& data, std::size_t size, const char* what) {
    if (data.size() != size)
        throw std::logic_error(std::string("generated ") + what + " has " + std::to_string(data.size()) +
                               " bytes instead of " + std::to_string(size));
}

VehicleStory inventVehicleStory(const VehicleUnitOptions& options) {
    VehicleStory story;
    story.options = options;
    VehicleUnitOptions& s = story.options;
    Random random(options.seed * 0x9E3779B97F4A7C15ull + 0x7601);
    if (s.registration.empty()) s.registration = inventRegistration(random, s.nation);
    if (s.vin.empty()) s.vin = inventVin(random);

    const int driverCount = random.between(1, 3);
    for (int i = 0; i < driverCount; ++i) {
        const InventedPerson p = inventPerson(random);
        story.drivers.push_back({CardType::Driver, s.nation, inventCardNumber(random, CardType::Driver), p.surname,
                                 p.firstNames, random.time(s.downloadTime + 90 * 86400, s.downloadTime + 1500 * 86400)});
    }
    story.company = inventCompany(random);
    story.companyAddress = inventAddress(random);
    story.companyCard = {CardType::Company, s.nation, inventCardNumber(random, CardType::Company), "", "", 0};
    story.controlCard = {CardType::Control, s.nation, inventCardNumber(random, CardType::Control), "", "", 0};
    story.workshop = inventWorkshop(random);
    story.workshopAddress = inventAddress(random);
    const InventedPerson fitter = inventPerson(random);
    story.workshopCard = {CardType::Workshop, s.nation, inventCardNumber(random, CardType::Workshop), fitter.surname,
                          fitter.firstNames, random.time(s.downloadTime + 30 * 86400, s.downloadTime + 900 * 86400)};
    story.previousRegistration = inventRegistration(random, s.nation);

    Random days = random.fork(2);
    story.days = inventWorkDays(days, s.downloadTime - 3600, s.activityDays,
                                static_cast<std::uint32_t>(days.between(20000, 900000)));
    std::size_t driver = 0;
    for (std::size_t d = 0; d < story.days.size(); ++d) {
        if (d > 0 && days.chance(30)) driver = (driver + 1) % story.drivers.size();
        story.driverOfDay.push_back(driver);
    }
    story.previousDownload = random.time(s.downloadTime - 90 * 86400, s.downloadTime - 28 * 86400);
    return story;
}

}  // namespace oltrex::testdata
