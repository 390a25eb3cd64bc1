#pragma once
// The invented facts behind one generated vehicle-unit download.
#include <cstdint>
#include <string>
#include <vector>

#include "History.h"
#include "Invented.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"

namespace oltrex::testdata {

struct StoryCard {
    CardType type = CardType::Driver;
    std::uint8_t nation = 13;
    std::string number;
    std::string surname, firstNames;
    std::uint32_t expiry = 0;
};

struct VehicleStory {
    VehicleUnitOptions options;  // resolved
    std::vector<StoryCard> drivers;
    StoryCard companyCard, controlCard, workshopCard;
    std::string company, companyAddress, workshop, workshopAddress;
    std::vector<WorkDay> days;
    std::vector<std::size_t> driverOfDay;
    std::uint32_t previousDownload = 0;
    std::string previousRegistration;  // the vehicle a driver used before
};

VehicleStory inventVehicleStory(const VehicleUnitOptions& options);

// Blocks of each generation; `tag` chooses the S variant of a generation-2 block.
std::vector<VehicleUnitBlock> gen1Blocks(const VehicleStory& story);
std::vector<VehicleUnitBlock> gen2Blocks(const VehicleStory& story);
VehicleUnitBlock sBlock(const VehicleStory& story, std::uint16_t tag);

void expectBlockSize(const Bytes& data, std::size_t size, const char* what);

}  // namespace oltrex::testdata
