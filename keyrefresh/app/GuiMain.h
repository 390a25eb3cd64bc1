#pragma once

namespace oltrex {

// The window: conditions, key page, update page, finished page.
int runKeyRefreshWindow(int argc, char** argv);

}  // namespace oltrex
