#pragma once
// KeyRefresh's permanent update log: one time-stamped line per entry in the
// program-data folder, appended across runs, archived under a dated name once
// it has grown past 1 MiB.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include "oltrex/platform/Clock.h"

namespace oltrex {

class CWLog {
  public:
    // An entry text holds at most this many bytes; longer texts are cut.
    static constexpr std::size_t kMaxEntryText = 511;
    // A log strictly larger than this is archived at the next size check.
    static constexpr std::uintmax_t kArchiveAbove = 1048576;
    static constexpr const char* kFileName = "OLTREXKeyRefresh.log";

    // The program's log: kFileName in the program-data folder, real clock.
    CWLog();
    // A log at `logPath` stamped by `clock` (tests).
    CWLog(std::filesystem::path logPath, Clock& clock);
    // Runs the size check once more, so a run's growth is archived at its end.
    ~CWLog();
    CWLog(const CWLog&) = delete;
    CWLog& operator=(const CWLog&) = delete;

    // Appends "[YYYY.MM.DD_hh.mm.ss.mmm] text\r\n" with one open-append-close.
    // 1 when written, 0 when the file cannot be opened or written.
    int writeEntry(std::string_view text);

    // Archives the log when it is larger than kArchiveAbove.
    void checkSize();

    const std::filesystem::path& path() const { return path_; }

    // The stamped line for `text` at `t` (text already cut to its limit).
    static std::string formatLine(const LocalTime& t, std::string_view text);
    // `logPath` with "_BisYYYYMMDDhhmmss" between its base name and extension.
    static std::filesystem::path archivePath(const std::filesystem::path& logPath,
                                             const LocalTime& t);
    // `text` cut to at most kMaxEntryText bytes, never inside a UTF-8 sequence.
    static std::string_view cutEntryText(std::string_view text);

  private:
    void createFolder() const;

    std::filesystem::path path_;
    Clock& clock_;
    // Entries come from the window and from the update worker.
    std::mutex mutex_;
};

}  // namespace oltrex
