#include "oltrex/keyrefresh/UpdateLog.h"

#include <cstdio>
#include <system_error>

#include "oltrex/platform/Folders.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"

namespace fs = std::filesystem;

namespace oltrex {

CWLog::CWLog() : CWLog(programDataFolder() / kFileName, systemClock()) {}

CWLog::CWLog(fs::path logPath, Clock& clock) : path_(std::move(logPath)), clock_(clock) {
    createFolder();
    checkSize();
}

CWLog::~CWLog() {
    checkSize();
}

void CWLog::createFolder() const {
    // An existing folder or a failure is no reason to stop: the entry is then
    // simply lost when the file cannot be opened.
    std::error_code ec;
    if (path_.has_parent_path()) fs::create_directories(path_.parent_path(), ec);
}

std::string_view CWLog::cutEntryText(std::string_view text) {
    if (text.size() <= kMaxEntryText) return text;
    std::size_t end = kMaxEntryText;
    // Step back over continuation bytes so the cut leaves whole characters.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string CWLog::formatLine(const LocalTime& t, std::string_view text) {
    char stamp[128];
    std::snprintf(stamp, sizeof stamp, "[%04i.%02i.%02i_%02i.%02i.%02i.%03i] ", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond);
    std::string line(stamp);
    line.append(text);
    line.append("\r\n");
    return line;
}

fs::path CWLog::archivePath(const fs::path& logPath, const LocalTime& t) {
    const PathParts parts = splitPath(utf8Of(logPath));
    char dated[128];
    std::snprintf(dated, sizeof dated, "_Bis%04i%02i%02i%02i%02i%02i", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return pathFromUtf8(parts.folder + parts.base + dated + parts.ext);
}

int CWLog::writeEntry(std::string_view text) {
    const LocalTime now = clock_.localTime();
    const std::string line = formatLine(now, cutEntryText(text));

    std::lock_guard lock(mutex_);
    // The folder may have vanished since the start; each entry brings it back.
    createFolder();
    std::FILE* file = openFile(path_, "ab");
    if (file == nullptr) return 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return written && flushed && closed ? 1 : 0;
}

void CWLog::checkSize() {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    if (!fs::is_regular_file(path_, ec)) return;
    const std::uintmax_t size = fs::file_size(path_, ec);
    if (ec || size <= kArchiveAbove) return;

    const fs::path archive = archivePath(path_, clock_.localTime());
    // An archive of the same second is our own earlier one; the newer replaces it.
    // A failed rename leaves the log growing; the next check tries again.
    fs::rename(path_, archive, ec);
}

}  // namespace oltrex
