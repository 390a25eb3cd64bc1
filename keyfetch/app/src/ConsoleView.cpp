#include "oltrex/keyfetch/console/ConsoleView.h"

#include <algorithm>

#include "oltrex/keyfetch/KeyDirectory.h"

namespace oltrex::console {

ConsoleView::ConsoleView(std::FILE* out, bool terminal, int width)
    : out_(out), terminal_(terminal), width_(std::max(width, 20)) {}

std::string ConsoleView::displayLine(const SessionDisplay& d) {
    // The dialog's order: status line, firmware, key number, download counter, generation counts.
    std::string line;
    if (!d.status.empty()) line += d.status + " | ";
    line += "Firmware: " + d.firmware + " | Key-Nr: " + d.keyNumber +
            " | Download: " + d.downloadCounter;
    if (!d.generationCounts.empty()) line += " " + d.generationCounts;
    line += " | " + std::to_string(d.percent) + " %";
    return printable(line);
}

std::string ConsoleView::progressBar(int percent, int cells) {
    const int filled = std::clamp(percent, 0, 100) * cells / 100;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(cells - filled), '-') + "]";
}

void ConsoleView::show(const SessionView& view, int activityPercent) {
    if (!terminal_) {
        if (haveShown_ && view.display == last_) return;
        haveShown_ = true;
        last_ = view.display;
        std::fprintf(out_, "%s\n", displayLine(view.display).c_str());
        std::fflush(out_);
        return;
    }
    last_ = view.display;
    std::string line =
        progressBar(view.display.percent, 20) + " " + std::to_string(view.display.percent) + " %";
    if (view.downloading) line += " " + progressBar(activityPercent, 5);
    line += "  " + displayLine(view.display);
    if (static_cast<int>(line.size()) > width_ - 1)
        line.resize(static_cast<std::size_t>(width_ - 1));
    std::fprintf(out_, "\r\033[K%s", line.c_str());
    std::fflush(out_);
    barDrawn_ = true;
}

void ConsoleView::clearBar() {
    if (!barDrawn_) return;
    std::fprintf(out_, "\r\033[K");
    barDrawn_ = false;
}

void ConsoleView::message(const std::string& text) {
    clearBar();
    std::fprintf(out_, "%s\n", printable(text).c_str());
    std::fflush(out_);
}

void ConsoleView::fileHandled(const FileReport& report) {
    message(fileLine(report));
}

void ConsoleView::finish() {
    if (barDrawn_) {
        std::fprintf(out_, "\n");
        barDrawn_ = false;
    }
    std::fflush(out_);
}

std::string fileLine(const FileReport& report) {
    if (report.outcome == FileOutcome::Kept)
        return "not filed whole: " + report.name + " (" + report.filing.untaken +
               "); the key file is kept as " + report.filing.keptPath;
    if (!report.filed())
        return "left on the key: " + report.name + " (" + outcomeText(report.outcome) + ")";
    std::string line = "filed " + report.name + " -> " + report.filing.containerPath;
    if (!report.filing.euPath.empty()) line += " (EU file " + report.filing.euPath + ")";
    return line;
}

}  // namespace oltrex::console
