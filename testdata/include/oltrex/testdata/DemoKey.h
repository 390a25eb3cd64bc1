#pragma once
// The files of a demo key: a realistic mix for trying the download program.
//   - vehicle units: two of generation 1, two of generation 2 (one of them an
//     "S" file with blocks 0x7611-0x7619);
//   - cards: driver, workshop, control and company card of both generations;
//   - the key's own log file (name containing "oltrexlog") and a TREP file,
//     which the download program leaves alone.
#include <cstdint>
#include <vector>

#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/KeyForm.h"

namespace oltrex::testdata {

// `workshopHolder`: the surname of both workshop cards, as the card holds it
// (Latin-1); empty: invented.
std::vector<KeyFile> demoKeyFiles(std::uint64_t seed = 1, std::uint32_t downloadTime = kDefaultDownloadTime,
                                  const std::string& workshopHolder = {});

}  // namespace oltrex::testdata
