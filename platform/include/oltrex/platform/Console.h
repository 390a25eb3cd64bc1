#pragma once
// The console of the programs' terminal front ends: UTF-8 output, whether a
// stream is a terminal and how wide it is, and Ctrl-C.
#include <cstdio>
#include <functional>

namespace oltrex {

// Makes the console show the programs' UTF-8 texts (Windows: the console's
// output code page and its escape sequences); nothing to do elsewhere.
void prepareConsoleOutput();

// Before a window front end starts: a console that only this program uses
// (Windows made one because the program was started from the desktop, not
// from a prompt) is closed, so that no empty console window stays behind the
// dialogs. A console shared with a prompt stays. Nothing to do elsewhere.
void releaseOwnConsole();

// The stream writes to a terminal (a console window on Windows).
bool isTerminal(std::FILE* stream);

// Columns of the terminal behind `stream`; `fallback` when unknown.
int terminalColumns(std::FILE* stream, int fallback = 100);

// While it lives, Ctrl-C (and, on Linux, termination and hang-up; on Windows,
// Ctrl-Break and closing the console) no longer end the program: each calls
// `onStop` instead, on a thread of its own. Make it before starting threads.
class ConsoleInterrupt {
public:
    explicit ConsoleInterrupt(std::function<void()> onStop);
    ~ConsoleInterrupt();
    ConsoleInterrupt(const ConsoleInterrupt&) = delete;
    ConsoleInterrupt& operator=(const ConsoleInterrupt&) = delete;
    // false when the platform refused the handler.
    bool active() const { return active_; }

private:
    bool active_ = false;
};

}  // namespace oltrex
