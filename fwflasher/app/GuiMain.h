#pragma once

namespace oltrex::fwflasher {

// Runs the window until it is closed; returns 0 in every case.
int runFlasherWindow(int argc, char** argv, bool debugView);

}  // namespace oltrex::fwflasher
