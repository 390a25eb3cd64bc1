#include "oltrex/platform/Console.h"

#include <io.h>

#include <mutex>

#include "WideText.h"

namespace oltrex {
namespace {

std::mutex interruptMutex;
std::function<void()>* interruptHandler = nullptr;

// Runs on a thread the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    std::lock_guard lock(interruptMutex);
    if (interruptHandler == nullptr) return FALSE;
    (*interruptHandler)();
    return TRUE;
}

HANDLE consoleHandleOf(std::FILE* stream) {
    const int fd = ::_fileno(stream);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

}  // namespace

void prepareConsoleOutput() {
    // The programs write UTF-8; a console shows it in code page 65001. The
    // progress line redraws itself with escape sequences.
    ::SetConsoleOutputCP(CP_UTF8);
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(out, &mode)) ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void releaseOwnConsole() {
    // The programs are console programs, so that a prompt waits for their
    // terminal modes; started from the desktop they get a console of their own.
    DWORD processes[2] = {};
    if (::GetConsoleProcessList(processes, 2) == 1) ::FreeConsole();
}

bool isTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(consoleHandleOf(stream), &mode) != 0;
}

int terminalColumns(std::FILE* stream, int fallback) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(consoleHandleOf(stream), &info)) return fallback;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? columns : fallback;
}

ConsoleInterrupt::ConsoleInterrupt(std::function<void()> onStop) {
    std::lock_guard lock(interruptMutex);
    if (interruptHandler != nullptr) return;  // one at a time
    interruptHandler = new std::function<void()>(std::move(onStop));
    if (!::SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        delete interruptHandler;
        interruptHandler = nullptr;
        return;
    }
    active_ = true;
}

ConsoleInterrupt::~ConsoleInterrupt() {
    if (!active_) return;
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    std::lock_guard lock(interruptMutex);
    delete interruptHandler;
    interruptHandler = nullptr;
}

}  // namespace oltrex
