#pragma once
// The files an Oltrex-Funke leaves on its SD card: tachograph files in the
// key's secure form (8-byte header, scrambled records), named "*.dlb",
// "*.1.dlb" or "*.2.dlb"; card files keep names that begin with "C_".
#include <filesystem>
#include <ostream>
#include <string>

#include "Arguments.h"
#include "KeyFileSink.h"

namespace oltrex::keytool {

// Writes each file it is given in the secure form into the card folder,
// under the file's own name. An existing file is never replaced.
class SdCardSink final : public KeyFileSink {
public:
    explicit SdCardSink(std::filesystem::path folder) : folder_(std::move(folder)) {}
    bool put(const testdata::KeyFile& file, std::string& error) override;

private:
    std::filesystem::path folder_;
};

// The card file name of a key file without chosen names: a second-generation
// name ("....2") gets ".dlb", a first-generation one ".1.dlb"; a vehicle
// unit's "V_" becomes "oltrex_" (V_AB_2022-03-09_09-18-09.2 is
// oltrex_AB_2022-03-09_09-18-09.2.dlb), card names keep their "C_".
std::string sdCardFileName(const std::string& keyName);

// "sdcard <card folder> [NAME...] [--seed N] [--time T]": the demo set's
// tachograph files in the card's form. Without names every file is written
// under sdCardFileName(); with names, one file per name: a name that begins
// with "C_" takes the next card file of the set, any other the next vehicle
// unit. Returns the tool's exit code.
int runSdCardCommand(const Arguments& args, std::ostream& out, std::ostream& err);

}  // namespace oltrex::keytool
