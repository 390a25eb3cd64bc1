#include "oltrex/testdata/VehicleUnitBuilder.h"

#include <stdexcept>

#include "VehicleStory.h"
#include "oltrex/testdata/FileNames.h"

namespace oltrex::testdata {

GeneratedVehicleUnit buildVehicleUnitContent(const VehicleUnitOptions& options) {
    if (options.companyLocks < 0 || options.companyLocks > 255 || options.controls < 0 || options.controls > 255 ||
        options.calibrations < 0 || options.calibrations > 255 || options.activityDays < 0 || options.speedMinutes < 0 ||
        options.speedMinutes > 0xFFFF)
        throw std::invalid_argument("vehicle-unit options: a record count is out of range");
    for (const auto tag : options.sBlocks)
        if (!isSBlockTag(tag)) throw std::invalid_argument("vehicle-unit options: S blocks are 0x7611-0x7619");
    if (!options.sBlocks.empty() && options.generation != Generation::Second)
        throw std::invalid_argument("vehicle-unit options: S blocks belong to generation-2 files");

    VehicleStory story = inventVehicleStory(options);
    if (story.days.empty() && !options.sBlocks.empty())
        throw std::invalid_argument("vehicle-unit options: S blocks need at least one activity day");
    GeneratedVehicleUnit unit;
    unit.options = story.options;
    unit.blocks = options.generation == Generation::First ? gen1Blocks(story) : gen2Blocks(story);
    for (const auto tag : options.sBlocks) unit.blocks.push_back(sBlock(story, tag));
    return unit;
}

KeyFile buildVehicleUnitFile(const VehicleUnitOptions& options) {
    const GeneratedVehicleUnit unit = buildVehicleUnitContent(options);
    return {vehicleUnitFileName(options.generation, unit.options.registration, options.downloadTime),
            keyVehicleUnitFile(unit.blocks)};
}

std::vector<std::uint16_t> defaultSBlocks() { return {0x7611, 0x7612, 0x7613, 0x7615, 0x7618}; }

}  // namespace oltrex::testdata
