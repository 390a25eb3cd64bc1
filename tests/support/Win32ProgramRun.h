#pragma once
// For the Windows tests of a program itself: the module version of its file,
// and a run of it whose first box the test cancels.
#ifdef _WIN32
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "oltrex/win32ui/TestDriver.h"

namespace oltrex::testing {

// The fixed file version of `exe` as major, minor, patch, tweak; nothing
// without a version resource.
inline std::optional<std::vector<unsigned>> fileVersion(const std::wstring& exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(exe.c_str(), 0, size, info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
        return std::nullopt;
    }
    return std::vector<unsigned>{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                 HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

struct CancelledRun {
    bool started = false;
    std::string cancelText;  // the box's cancel button; empty when no box came
    bool ended = false;      // within the time after the click
    DWORD exitCode = 99;
};

// Starts `exe` without arguments, waits for its box `caption`, clicks the
// box's cancel button and waits for the program's end (killed when it does
// not end).
inline CancelledRun runCancellingFirstBox(const std::wstring& exe, const char* caption) {
    CancelledRun run;
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return run;
    }
    run.started = true;
    HWND box = win32ui::testdriver::waitForWindow(caption, 20000);
    if (box) {
        run.cancelText = win32ui::testdriver::text(box, IDCANCEL);
        win32ui::testdriver::click(box, IDCANCEL);
    }
    run.ended = WaitForSingleObject(process.hProcess, box ? 20000 : 0) == WAIT_OBJECT_0;
    if (!run.ended) TerminateProcess(process.hProcess, 9);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

}  // namespace oltrex::testing
#endif
