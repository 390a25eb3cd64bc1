#pragma once
// The transfer log "LogKeyRefresh.txt": a diagnostic file written while a
// firmware transfer runs. Every output goes to the open file and is dropped
// silently while no file is open. Each output is flushed at once, so the file
// tells how far a transfer came even when the program dies.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace oltrex {

inline constexpr const char* kTransferLogName = "LogKeyRefresh.txt";

class TransferLog {
public:
    TransferLog() = default;
    ~TransferLog() { close(); }
    TransferLog(const TransferLog&) = delete;
    TransferLog& operator=(const TransferLog&) = delete;

    // Opens a new, empty "LogKeyRefresh.txt" in `folder`. A log left by an
    // earlier run (a regular file of ours) is removed first; anything else
    // under that name (a link, another user's file) is left alone and the
    // transfer then runs without a log. False when no log could be opened.
    bool openFresh(const std::filesystem::path& folder);
    void close();
    bool isOpen() const { return file_ != nullptr; }

    // "displMsg(): <text> \r\n"
    void displMsg(std::string_view text);
    // "displStatus(): <text> \r\n"
    void displStatus(std::string_view text);
    // "displLed(): LED=Idle|OK|Error\r\n" for 0, 1 and anything else.
    void displLed(int led);
    // "showProgress(): [" + percent stars + blanks to 100 + "]\r\n"; above 100 counts as 100.
    void showProgress(unsigned percent);
    // The formatted text, at most 1024 characters, with no line end added.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // "<title> (length=<n>):", each byte as "%02X " with "\r\n%06X: " before
    // every 16th, then "\r\n".
    void hexDump(const char* title, const std::uint8_t* bytes, std::size_t size);

private:
    void write(std::string_view text);

    std::FILE* file_ = nullptr;
};

}  // namespace oltrex
