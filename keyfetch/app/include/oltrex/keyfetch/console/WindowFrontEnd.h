#pragma once
// The window front end of KeyFetch, when the program is built with one: the
// GUI build provides these two functions (target oltrex_keyfetch_window);
// without it the program has the console front end only.
namespace oltrex {

bool keyFetchWindowAvailable();
// Runs the main dialog until it closes; returns the program's exit status.
int runKeyFetchWindow(int argc, char** argv);

}  // namespace oltrex
