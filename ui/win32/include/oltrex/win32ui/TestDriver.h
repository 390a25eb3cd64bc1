#pragma once
// Drives dialogs from a test, as a user would, through their messages: finds
// a dialog or message box by its caption, clicks buttons, reads the texts,
// enabled and visible states and places of controls. Works on dialogs of
// another thread of this process and, except for statusTextColour, of
// another process on the same desktop.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace oltrex::win32ui::testdriver {

// Polls `condition` (every 10 ms) until it holds or `timeoutMs` have passed.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// A visible top-level window with this caption; nullptr when none appears in time.
HWND waitForWindow(std::string_view caption, int timeoutMs = 5000);
// A visible top-level window with this caption owned by `owner`'s thread
// (message boxes of a dialog); nullptr when none appears in time.
HWND waitForWindowOfThread(DWORD thread, std::string_view caption, int timeoutMs = 5000);

// Clicks the button (or notifying picture) `id` as a user does: only when it
// is visible and enabled; false otherwise. The click is posted, so a handler
// that opens a modal box does not block the test.
bool click(HWND dialog, int id);
// Asks the window to close (the close box).
void requestClose(HWND window);

std::string text(HWND dialog, int id);
std::string caption(HWND window);
bool enabled(HWND dialog, int id);
bool visible(HWND dialog, int id);
// In pixels of the dialog's client area.
RECT placeOf(HWND dialog, int id);
SIZE clientSize(HWND window);
// A progress bar's position.
int progress(HWND dialog, int id);
// The text colour the dialog gives a static control (WM_CTLCOLORSTATIC);
// only for a dialog of this process.
COLORREF staticTextColour(HWND dialog, int id);
// The close box is offered: the system menu's "Close" is enabled.
bool closeBoxEnabled(HWND window);

// For the picture programs (scripts/windows-pictures.sh): repaints `window`,
// writes "shot <name> <left> <top> <width> <height>" (its place on the
// screen) and waits for the script's answer line once the screen is taken.
// false when no answer comes.
bool announceShot(HWND window, const char* name);

}  // namespace oltrex::win32ui::testdriver
