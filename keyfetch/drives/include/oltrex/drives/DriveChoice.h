#pragma once
// The drives as the drive chooser offers them to the user: a readable text
// for each (its label and name, as the file manager shows a drive, or only
// its name when it has no label) and the root text the chooser returns.
#include <string>
#include <vector>

#include "oltrex/drives/DriveRecord.h"

namespace oltrex {

struct DriveChoice {
    std::string text;      // "FUNKE (/media/anna/FUNKE)", "/mnt/card"
    std::string rootText;  // what choosing it gives: driveRootText()
};

// One choice per drive, sorted by text without regard to case.
std::vector<DriveChoice> driveChoices(const std::vector<DriveRecord>& drives);

// Rows the chooser's drop-down list shows at once; more scroll.
inline constexpr int kDriveChoiceRows = 12;

}  // namespace oltrex
