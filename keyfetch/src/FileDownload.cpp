#include "oltrex/keyfetch/FileDownload.h"

#include <system_error>

#include "oltrex/keyfetch/Classification.h"
#include "oltrex/keyfetch/SecureReencoding.h"
#include "oltrex/keyfetch/TransportScrambling.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace {

void removeIfPresent(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(pathFromUtf8(path), ec);
}

bool descrambleInPlace(const std::string& localPath) {
    std::error_code ec;
    Bytes content;
    const std::filesystem::path path = pathFromUtf8(localPath);
    if (!readWholeFile(path, content, ec)) return false;
    descrambleTransport(content.data(), content.size());
    return replaceFile(path, content, ec);
}

}  // namespace

const char* outcomeText(FileOutcome outcome) {
    switch (outcome) {
        case FileOutcome::Filed:
            return "filed";
        case FileOutcome::ReadFailed:
            return "key read failed";
        case FileOutcome::NotDescrambled:
            return "protected file could not be descrambled";
        case FileOutcome::NotReencoded:
            return "secure re-encoding failed";
        case FileOutcome::NotClassified:
            return "empty or unreadable file";
        case FileOutcome::NotFiled:
            return "container could not be made";
        case FileOutcome::Kept:
            return "not all of it could be filed; the key file is kept";
        case FileOutcome::NotKept:
            return "not all of it could be filed, and the key file could not be kept";
    }
    return "?";
}

FileDownloader::FileDownloader(KeyLibrary& key, ContainerStore& store, Clock& clock,
                               std::filesystem::path workFolder)
    : key_(key), store_(store), clock_(clock), workFolder_(std::move(workFolder)) {}

int FileDownloader::readFromKey(const FileDownloadRequest& request, const std::string& localPath,
                                bool protectedRead, ActivityBar& bar) {
    const std::string& name = request.file.name;
    const std::string remoteName =
        protectedRead ? name + "\\" + std::string(kTransportAccessCode) : name;
    bar.setStep(ActivityBar::kReadStarted);
    const std::uint32_t started = clock_.tickMs();
    const int result = key_.readFile(remoteName, localPath);
    const std::uint32_t elapsed = clock_.tickMs() - started;  // wraps like the tick count
    bar.setStep(ActivityBar::kReadDone);
    if (protectedRead) {
        const int ms = static_cast<int>(elapsed);
        tracef("%9i Bytes  %9i ms  (%6i ms / 512 Byte)  %s\r\n", request.file.size, ms,
               mulDiv(512, ms, request.file.size), name.c_str());
    }
    return result;
}

FileReport FileDownloader::download(const FileDownloadRequest& request, ActivityBar& bar) {
    const KeyFile& file = request.file;
    FileReport report;
    report.name = file.name;
    report.size = file.size;
    tracef("%s (%i byte%s)\r\n", file.name.c_str(), file.size, file.size == 1 ? "" : "s");

    // The directory read admits plain file names only, so the file stays inside the work folder.
    const std::string localPath = utf8Of(workFolder_ / pathFromUtf8(file.name));
    // The file as the key gave it, for when it cannot be filed whole.
    const std::string rawPath = localPath + ".key";
    removeIfPresent(localPath);
    removeIfPresent(rawPath);

    report.protectedRead = needsProtectedRead(request.series, request.firmwareNumber);
    auto skip = [&](FileOutcome outcome) {
        removeIfPresent(localPath);
        removeIfPresent(rawPath);
        report.outcome = outcome;
        tracef("%s stays on the key: %s\r\n", file.name.c_str(), outcomeText(outcome));
        return report;
    };

    if (readFromKey(request, localPath, report.protectedRead, bar) != 0)
        return skip(FileOutcome::ReadFailed);
    // Scrambled data is never filed: a protected file that cannot be descrambled is skipped.
    if (report.protectedRead && !descrambleInPlace(localPath))
        return skip(FileOutcome::NotDescrambled);
    // Without this copy a file that cannot be filed whole stays on the key.
    std::error_code ec;
    const bool haveRaw = copyFile(pathFromUtf8(localPath), pathFromUtf8(rawPath), false, ec);
    if (request.secure && reencodeSecureFile(pathFromUtf8(localPath), file.name, workFolder_) != kReencodeOk)
        return skip(FileOutcome::NotReencoded);

    ClassifiedFile classified;
    if (classifyFile(pathFromUtf8(localPath), file.name, classified) != kClassified)
        return skip(FileOutcome::NotClassified);

    FilingRequest filing;
    filing.localPath = localPath;
    filing.kindName = classified.kindName;
    filing.keyName = file.name;
    filing.firmwareNumber = request.firmwareNumber;
    filing.cardImage = std::move(classified.cardImage);
    filing.makeEuFile = request.makeEuFile;
    filing.noDelete = request.noDelete;
    if (haveRaw) filing.rawPath = rawPath;
    report.filing = store_.fileDownloadedFile(filing);
    removeIfPresent(rawPath);
    if (report.filing.whole()) {
        report.outcome = FileOutcome::Filed;
        return report;
    }
    if (report.filing.kept()) {
        report.outcome = FileOutcome::Kept;
        return report;
    }
    return skip(report.filing.untaken.empty() ? FileOutcome::NotFiled : FileOutcome::NotKept);
}

}  // namespace oltrex
