#pragma once
// What the console front end shows: the five display strings and the
// percentage as they change, as a redrawn progress line on a terminal or as
// plain lines otherwise, and a line for every file handled.
#include <cstdio>
#include <string>

#include "oltrex/keyfetch/FileDownload.h"
#include "oltrex/keyfetch/KeySession.h"

namespace oltrex::console {

class ConsoleView {
  public:
    // `terminal`: redraw one progress line; otherwise print plain lines.
    ConsoleView(std::FILE* out, bool terminal, int width = 100);

    // Shows the session's view; plain lines only when something changed.
    void show(const SessionView& view, int activityPercent);
    // One line about a handled file.
    void fileHandled(const FileReport& report);
    // A permanent line.
    void message(const std::string& text);
    // Ends the progress line before the summary.
    void finish();

    static std::string displayLine(const SessionDisplay& d);
    static std::string progressBar(int percent, int cells);

  private:
    void clearBar();

    std::FILE* out_;
    bool terminal_;
    int width_;
    bool haveShown_ = false;
    SessionDisplay last_;
    bool barDrawn_ = false;
};

// One line about a handled file, e.g. "filed V_AB_623B1A2C -> /c/V_AB_....dlc".
std::string fileLine(const FileReport& report);

}  // namespace oltrex::console
