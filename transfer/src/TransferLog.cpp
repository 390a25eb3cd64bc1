#include "oltrex/transfer/TransferLog.h"

#include <cstdarg>
#include <string>

#include "oltrex/platform/SafeFile.h"

namespace oltrex {
namespace {

constexpr std::size_t kMaxPrint = 1024;

std::string titled(const char* function, std::string_view text, bool blankBeforeEnd) {
    std::string line(function);
    line += "(): ";
    line += text;
    line += blankBeforeEnd ? " \r\n" : "\r\n";
    return line;
}

}  // namespace

bool TransferLog::openFresh(const std::filesystem::path& folder) {
    close();
    // The temporary folder may be shared: the old log is removed only when it
    // is a plain file of ours, and the new one never follows a planted link.
    file_ = createFreshFile(folder / kTransferLogName);
    return file_ != nullptr;
}

void TransferLog::close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void TransferLog::write(std::string_view text) {
    if (!file_) return;
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
}

void TransferLog::displMsg(std::string_view text) { write(titled("displMsg", text, true)); }

void TransferLog::displStatus(std::string_view text) { write(titled("displStatus", text, true)); }

void TransferLog::displLed(int led) {
    const char* state = led == 0 ? "LED=Idle" : led == 1 ? "LED=OK" : "LED=Error";
    write(titled("displLed", state, false));
}

void TransferLog::showProgress(unsigned percent) {
    if (percent > 100) percent = 100;
    std::string bar = "[";
    bar.append(percent, '*');
    bar.append(100 - percent, ' ');
    bar += ']';
    write(titled("showProgress", bar, false));
}

void TransferLog::print(const char* format, ...) {
    if (!file_) return;
    char text[kMaxPrint + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) return;
    write(std::string_view(text, std::min<std::size_t>(static_cast<std::size_t>(n), kMaxPrint)));
}

void TransferLog::hexDump(const char* title, const std::uint8_t* bytes, std::size_t size) {
    if (!file_) return;
    std::string out = title;
    char cell[32];
    std::snprintf(cell, sizeof cell, " (length=%d):", static_cast<int>(size));
    out += cell;
    for (std::size_t i = 0; i < size; ++i) {
        if (i % 16 == 0) {
            std::snprintf(cell, sizeof cell, "\r\n%06X: ", static_cast<unsigned>(i));
            out += cell;
        }
        std::snprintf(cell, sizeof cell, "%02X ", bytes[i]);
        out += cell;
    }
    out += "\r\n";
    write(out);
}

}  // namespace oltrex
