#include "oltrex/drives/DriveScanner.h"

#include <cstdio>

#include "oltrex/drives/PatternMatch.h"
#include "oltrex/platform/PathText.h"

namespace oltrex {
namespace fs = std::filesystem;

DriveScanner::DriveScanner(DriveSources sources)
    : sources_(std::move(sources)), lister_(systemDriveLister(sources_)) {}

DriveScanner::DriveScanner(std::shared_ptr<const DriveLister> lister, DriveSources sources)
    : sources_(std::move(sources)), lister_(std::move(lister)) {}

void DriveScanner::scanDrives() { drives_ = lister_->listDrives(); }

std::vector<FileRecord> DriveScanner::searchFolder(const std::string& folderText,
                                                   const std::vector<std::string>& patterns) const {
    std::vector<FileRecord> found;
    const std::string folder = withSeparator(folderText);
    std::error_code ec;
    for (fs::directory_iterator it(pathFromUtf8(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statEc;
        const fs::file_status status = it->status(statEc);  // follows links
        if (statEc || !fs::is_regular_file(status)) continue;
        const std::string name = utf8Of(it->path().filename());
        for (const std::string& pattern : patterns) {
            if (!matchesPattern(name, pattern)) continue;
            FileRecord record;
            record.name = name;
            record.size = it->file_size(statEc);
            if (statEc) record.size = 0;
            char sizeText[32];
            std::snprintf(sizeText, sizeof sizeText, "%0.0f", static_cast<double>(record.size));
            record.sizeText = sizeText;
            record.path = folder + name;
            found.push_back(std::move(record));
            break;
        }
    }
    return found;
}

const std::vector<std::string>& cardFilePatterns() {
    static const std::vector<std::string> patterns{"*.dlb", "*.1.dlb", "*.2.dlb"};
    return patterns;
}

}  // namespace oltrex
