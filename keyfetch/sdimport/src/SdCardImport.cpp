#include "oltrex/sdimport/SdCardImport.h"

#include <algorithm>
#include <cstdio>

#include "oltrex/keyfetch/Classification.h"
#include "oltrex/keyfetch/SecureReencoding.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

// Only for the import's own copies in the private work folder.
void removeOwnCopy(const std::string& text) {
    const fs::path path = pathFromUtf8(text);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove(path, ec);
}

bool copyFresh(const std::string& from, const std::string& to) {
    removeOwnCopy(to);
    std::error_code ec;
    return copyFile(pathFromUtf8(from), pathFromUtf8(to), true, ec);
}

}  // namespace

const char* sdOutcomeText(SdFileOutcome outcome) {
    switch (outcome) {
        case SdFileOutcome::Filed: return "filed";
        case SdFileOutcome::NotCopied: return "not copied";
        case SdFileOutcome::NotReencoded: return "not re-encoded";
        case SdFileOutcome::NotClassified: return "not classified";
        case SdFileOutcome::NotFiled: return "no container made";
        case SdFileOutcome::Kept: return "not all of it could be filed; the card file is kept";
    }
    return "?";
}

int SdImportResult::containers() const {
    return static_cast<int>(std::count_if(files.begin(), files.end(), [](const SdFileReport& f) {
        return f.outcome == SdFileOutcome::Filed;
    }));
}

int SdImportResult::kept() const {
    return static_cast<int>(std::count_if(files.begin(), files.end(), [](const SdFileReport& f) {
        return f.outcome == SdFileOutcome::Kept;
    }));
}

SdCardImport::SdCardImport(ContainerStore& store, Clock& clock, DriveSources drives, fs::path workFolder)
    : store_(store), clock_(clock), scanner_(std::move(drives)), workFolder_(std::move(workFolder)) {}

std::string SdCardImport::copyName(const std::string& title, const LocalTime& t) const {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%04i-%02i-%02i_%02i-%02i-%02i.dlc", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return withSeparator(utf8Of(workFolder_)) + "K_" + title + stamp;
}

std::vector<DriveRecord> SdCardImport::drivesToSearch(const SdImportRequest& request, DriveChooser& chooser,
                                                      bool& cancelled) {
    cancelled = false;
    if (request.namedDrive) {
        DriveRecord named;
        named.name = *request.namedDrive;
        named.kind = kDriveChosen;
        return {named};
    }
    scanner_.scanDrives();
    std::vector<DriveRecord> used;
    for (const DriveRecord& d : scanner_.drives())
        if (d.kind == kDriveRemovable) used.push_back(d);
    if (!used.empty()) return used;

    std::string chosen;
    if (!chooser.chooseDrive(chosen)) {
        cancelled = true;
        return {};
    }
    for (const DriveRecord& d : scanner_.drives()) {
        if (driveRootText(d) == chosen) {
            DriveRecord picked = d;
            picked.kind = kDriveChosen;
            used.push_back(picked);
        }
    }
    return used;
}

SdFileReport SdCardImport::importFile(const FileRecord& found, const SdImportRequest& request) {
    SdFileReport report;
    report.title = found.name;
    report.cardPath = found.path;

    const std::string containerCopy = copyName(found.name, clock_.localTime());
    const std::string localPath = containerCopy.substr(0, containerCopy.size() - 4) + ".dlt";
    report.localPath = localPath;
    // The .dlc copy stays for the container maker, whose clean-up removes it.
    copyFresh(found.path, containerCopy);
    if (!copyFresh(found.path, localPath)) {
        report.outcome = SdFileOutcome::NotCopied;
        return report;
    }
    const long long size = static_cast<long long>(found.size);
    tracef("%s (%lld byte%s)\r\n", found.name.c_str(), size, size == 1 ? "" : "s");

    auto dropCopies = [&] {
        removeOwnCopy(localPath);
        removeOwnCopy(containerCopy);
    };
    // Card files are always in the secure form, whatever mode the key is in.
    if (reencodeSecureFile(pathFromUtf8(localPath), found.name, workFolder_) != kReencodeOk) {
        report.outcome = SdFileOutcome::NotReencoded;
        dropCopies();
        return report;
    }
    ClassifiedFile classified;
    if (classifyFile(pathFromUtf8(localPath), found.name, classified) != kClassified) {
        report.outcome = SdFileOutcome::NotClassified;
        dropCopies();
        return report;
    }

    FilingRequest filing;
    filing.localPath = localPath;
    filing.kindName = classified.kindName;
    filing.keyName = found.name;
    filing.firmwareNumber = request.firmwareNumber;
    filing.cardImage = std::move(classified.cardImage);
    filing.makeEuFile = request.makeEuFile;
    // What cannot be filed whole is kept as the card holds it.
    filing.rawPath = found.path;
    // The file came from the card: a key file of the same name was never
    // downloaded and must stay on the key.
    filing.noDelete = true;
    report.filing = store_.fileDownloadedFile(filing);
    report.outcome = report.filing.whole() ? SdFileOutcome::Filed
                     : report.filing.kept() ? SdFileOutcome::Kept
                                            : SdFileOutcome::NotFiled;
    if (!report.filing.filed()) removeOwnCopy(containerCopy);
    return report;
}

SdImportResult SdCardImport::run(const SdImportRequest& request, DriveChooser& chooser) {
    SdImportResult result;
    std::error_code ec;
    if (workFolder_.empty() || !fs::is_directory(workFolder_, ec)) {
        result.message = importMessage(0);
        return result;
    }
    result.usedDrives = drivesToSearch(request, chooser, result.cancelled);
    if (result.cancelled) return result;

    for (const DriveRecord& drive : result.usedDrives) {
        const std::vector<FileRecord> files = scanner_.searchFolder(driveRootText(drive), cardFilePatterns());
        result.found += static_cast<int>(files.size());
        for (const FileRecord& file : files) {
            result.files.push_back(importFile(file, request));
            tracef("SD card file %s: %s\r\n", file.name.c_str(), sdOutcomeText(result.files.back().outcome));
        }
    }
    // Only containers that hold all of their file are reported as made.
    result.message = importMessage(result.containers());
    return result;
}

}  // namespace oltrex
