#pragma once
// The SD-card import: finds the container files an Oltrex-Funke left in the
// root of a removable drive ("*.dlb", "*.1.dlb", "*.2.dlb"), copies each into
// the work folder as K_<name>_<local time>.dlt, re-encodes it from the card's
// secure form, classifies it and files it through the container store.
//
// The card's files never came from the key, so the import never deletes
// anything from the key, whatever their names. Filings are serialised by the
// container store's lock; the window also keeps the import and a download
// apart (the SD button is disabled while a download runs).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "oltrex/drives/DriveScanner.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/sdimport/DriveChooser.h"
#include "oltrex/sdimport/ImportMessage.h"

namespace oltrex {

enum class SdFileOutcome {
    Filed,          // a container holding all of it was made
    NotCopied,      // the copy into the work folder failed
    NotReencoded,   // the secure form could not be rewritten
    NotClassified,  // empty or unreadable
    NotFiled,       // the container store could not make the container
    Kept,           // not all of it could be filed: the card file is kept whole (ContainerStore.h)
};

const char* sdOutcomeText(SdFileOutcome outcome);

struct SdFileReport {
    std::string title;      // the file's name on the card
    std::string cardPath;   // where it was found
    std::string localPath;  // its K_ copy that was filed
    SdFileOutcome outcome = SdFileOutcome::NotCopied;
    FilingResult filing;
};

struct SdImportRequest {
    bool makeEuFile = false;  // "DDD-Datei erstellen"
    int firmwareNumber = 0;   // the key's firmware number, 0 without a key
    // A folder named by the user (console option) is used instead of the
    // drive scan and the chooser.
    std::optional<std::string> namedDrive;
};

struct SdImportResult {
    bool cancelled = false;           // "Abbrechen" in the chooser: no message
    std::vector<DriveRecord> usedDrives;
    int found = 0;                    // card files found on the used drives
    std::vector<SdFileReport> files;  // in the order they were found
    int kept() const;                 // files kept whole because not all of them could be filed
    int containers() const;           // files that became containers holding all of them
    // The closing message; none when cancelled.
    std::optional<ImportMessage> message;
};

class SdCardImport {
public:
    // `workFolder` is KeyFetch's private temporary folder, the same one the
    // store's conversion contexts work in.
    SdCardImport(ContainerStore& store, Clock& clock, DriveSources drives, std::filesystem::path workFolder);

    SdImportResult run(const SdImportRequest& request, DriveChooser& chooser);

    // "K_<title>_YYYY-MM-DD_hh-mm-ss.dlc" in the work folder.
    std::string copyName(const std::string& title, const LocalTime& time) const;

private:
    std::vector<DriveRecord> drivesToSearch(const SdImportRequest& request, DriveChooser& chooser,
                                            bool& cancelled);
    SdFileReport importFile(const FileRecord& found, const SdImportRequest& request);

    ContainerStore& store_;
    Clock& clock_;
    DriveScanner scanner_;
    std::filesystem::path workFolder_;
};

}  // namespace oltrex
