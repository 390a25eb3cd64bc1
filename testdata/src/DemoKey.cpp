#include "oltrex/testdata/DemoKey.h"

#include "oltrex/testdata/FileNames.h"
#include "oltrex/testdata/Random.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"

namespace oltrex::testdata {

namespace {

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

std::vector<KeyFile> demoKeyFiles(std::uint64_t seed, std::uint32_t downloadTime, const std::string& workshopHolder) {
    std::vector<KeyFile> files;
    std::uint32_t time = downloadTime;
    auto earlier = [&](std::uint32_t seconds) { return time = withoutTagByte(time - seconds); };

    VehicleUnitOptions vu;
    vu.seed = seed * 16 + 1;
    vu.downloadTime = time;
    files.push_back(buildVehicleUnitFile(vu));
    vu.seed = seed * 16 + 2;
    vu.nation = 1;
    vu.activityDays = 9;
    vu.companyLocks = 2;
    vu.controls = 0;
    vu.downloadTime = earlier(2 * 86400 + 5400);
    files.push_back(buildVehicleUnitFile(vu));

    vu = VehicleUnitOptions{};
    vu.generation = Generation::Second;
    vu.seed = seed * 16 + 3;
    vu.downloadTime = earlier(3 * 3600 + 17 * 60);
    files.push_back(buildVehicleUnitFile(vu));
    vu.seed = seed * 16 + 4;
    vu.nation = 38;
    vu.sBlocks = defaultSBlocks();
    vu.downloadTime = earlier(86400 + 2222);
    files.push_back(buildVehicleUnitFile(vu));

    const CardType types[] = {CardType::Driver, CardType::Workshop, CardType::Control, CardType::Company};
    std::uint64_t cardSeed = seed * 16 + 5;
    for (const Generation generation : {Generation::First, Generation::Second}) {
        for (const CardType type : types) {
            CardOptions card;
            card.type = type;
            card.generation = generation;
            card.seed = cardSeed++;
            card.downloadTime = earlier(1800 + 97 * static_cast<std::uint32_t>(cardSeed % 11));
            if (type == CardType::Workshop) card.surname = workshopHolder;
            files.push_back(buildCardFile(card));
        }
    }

    // The key's own files.
    files.push_back({"oltrexlog_" + longTimeText(downloadTime) + ".txt",
                     text("OLTREX-Key log\r\n" + longTimeText(time) + " download started\r\n" +
                          longTimeText(downloadTime) + " download finished, 12 files\r\n")});
    Bytes trep{0x76, 0x00, 0x00, 0x01};
    for (int i = 0; i < 28; ++i) trep.push_back(static_cast<std::uint8_t>(0x20 + i));
    files.push_back({"TREP_00_" + hexTimeText(downloadTime), trep});
    return files;
}

}  // namespace oltrex::testdata
