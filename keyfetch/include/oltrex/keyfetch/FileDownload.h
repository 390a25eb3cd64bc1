#pragma once
// The download of one key file: read into the work folder (plain, or
// protected and then descrambled), re-encoded when the key is in secure mode,
// classified, and handed to the container store. Whatever goes wrong, the
// file stays on the key: it leaves the key only through the container store.
#include <filesystem>
#include <string>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyfetch/ActivityBar.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/keyfetch/KeyDirectory.h"
#include "oltrex/platform/Clock.h"

namespace oltrex {

enum class FileOutcome {
    Filed,           // container made (and the file deleted from the key unless "NoDelete")
    ReadFailed,      // the key read failed
    NotDescrambled,  // the protected file could not be reopened or rewritten
    NotReencoded,    // the secure re-encoding did not succeed
    NotClassified,   // empty or unreadable after the read
    NotFiled,        // the container store could not make the container
    Kept,     // not all of it could be filed: what could be is filed, the key file kept whole
    NotKept,  // not all of it could be filed and the key file could not be kept
};

const char* outcomeText(FileOutcome outcome);

struct FileDownloadRequest {
    KeyFile file;
    std::string series;      // the key identity's series ("OX", "OB", ...)
    int firmwareNumber = 0;  // the key's decimal firmware number
    bool secure = false;     // the key is open in secure mode
    bool makeEuFile = false;
    bool noDelete = false;
};

struct FileReport {
    std::string name;
    int size = 0;
    FileOutcome outcome = FileOutcome::ReadFailed;
    bool protectedRead = false;
    FilingResult filing;  // when it reached the container store
    bool filed() const { return outcome == FileOutcome::Filed; }
    bool removedFromKey() const { return filing.deleteCalled && filing.deleteResult == 0; }
};

class FileDownloader {
  public:
    FileDownloader(KeyLibrary& key, ContainerStore& store, Clock& clock,
                   std::filesystem::path workFolder);

    FileReport download(const FileDownloadRequest& request, ActivityBar& bar);

    const std::filesystem::path& workFolder() const { return workFolder_; }

  private:
    int readFromKey(const FileDownloadRequest& request, const std::string& localPath,
                    bool protectedRead, ActivityBar& bar);

    KeyLibrary& key_;
    ContainerStore& store_;
    Clock& clock_;
    std::filesystem::path workFolder_;
};

}  // namespace oltrex
