#pragma once
// What the drive chooser's drop-down list holds and what choosing gives: the
// drives scanned when it opens, by their readable texts, sorted, the first
// selected; the result is the chosen entry's root text, and only an entry of
// the list counts (text typed over it selects nothing).
#include <string>
#include <vector>

#include "oltrex/drives/DriveChoice.h"
#include "oltrex/drives/DriveScanner.h"

namespace oltrex {

class DriveChooserList {
public:
    // Scans the drives of `sources` now.
    explicit DriveChooserList(const DriveSources& sources);
    explicit DriveChooserList(std::vector<DriveChoice> entries) : entries_(std::move(entries)) {}

    const std::vector<DriveChoice>& entries() const { return entries_; }
    // The entry selected on opening; -1 for an empty list.
    int initialSelection() const { return entries_.empty() ? -1 : 0; }
    // "OK" with entry `index` selected and `shownText` in the field: the
    // entry's root text, or empty when no entry or another text is shown.
    std::string resultFor(int index, const std::string& shownText) const;

private:
    std::vector<DriveChoice> entries_;
};

}  // namespace oltrex
