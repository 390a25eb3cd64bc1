#include "oltrex/keyfetch/window/DriveChooserList.h"

namespace oltrex {

DriveChooserList::DriveChooserList(const DriveSources& sources) {
    DriveScanner scanner(sources);
    scanner.scanDrives();
    entries_ = driveChoices(scanner.drives());
}

std::string DriveChooserList::resultFor(int index, const std::string& shownText) const {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return {};
    const DriveChoice& entry = entries_[static_cast<std::size_t>(index)];
    return shownText == entry.text ? entry.rootText : std::string();
}

}  // namespace oltrex
