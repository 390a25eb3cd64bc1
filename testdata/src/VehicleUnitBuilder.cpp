#include "oltrex/testdata/VehicleUnitBuilder.h"

#include <stdexcept>

#include "VehicleStory.h"
#include "oltrex/testdata/FileNames.h"

namespace oltrex::testdata {

GeneratedVehicleUnit buildVehicleUnitContent(const VehicleUnitSpec& spec) {
    if (spec.companyLocks < 0 || spec.companyLocks > 255 || spec.controls < 0 || spec.controls > 255 ||
        spec.calibrations < 0 || spec.calibrations > 255 || spec.activityDays < 0 || spec.speedMinutes < 0 ||
        spec.speedMinutes > 0xFFFF)
        throw std::invalid_argument("vehicle-unit spec: a record count is out of range");
    for (const auto tag : spec.sBlocks)
        if (!isSBlockTag(tag)) throw std::invalid_argument("vehicle-unit spec: S blocks are 0x7611-0x7619");
    if (!spec.sBlocks.empty() && spec.generation != Generation::Second)
        throw std::invalid_argument("vehicle-unit spec: S blocks belong to generation-2 files");

    VehicleStory story = inventVehicleStory(spec);
    if (story.days.empty() && !spec.sBlocks.empty())
        throw std::invalid_argument("vehicle-unit spec: S blocks need at least one activity day");
    GeneratedVehicleUnit unit;
    unit.spec = story.spec;
    unit.blocks = spec.generation == Generation::First ? gen1Blocks(story) : gen2Blocks(story);
    for (const auto tag : spec.sBlocks) unit.blocks.push_back(sBlock(story, tag));
    return unit;
}

KeyFile buildVehicleUnitFile(const VehicleUnitSpec& spec) {
    const GeneratedVehicleUnit unit = buildVehicleUnitContent(spec);
    return {vehicleUnitFileName(spec.generation, unit.spec.registration, spec.downloadTime),
            keyVehicleUnitFile(unit.blocks)};
}

std::vector<std::uint16_t> defaultSBlocks() { return {0x7611, 0x7612, 0x7613, 0x7615, 0x7618}; }

}  // namespace oltrex::testdata
