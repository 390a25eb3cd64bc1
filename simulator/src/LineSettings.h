#pragma once
// The boot loader only understands the line as the flashers set it up:
// 115200 baud, 8 data bits, no parity, 1 stop bit, raw (nothing translated,
// echoed or interpreted) and without flow control. On a pseudo-terminal the
// master reads the settings the PC made on its side (tcgetattr).
#include <termios.h>

#include <string>

namespace oltrex::bootsim {

// What is wrong with the settings, in a few words; empty when they are right.
std::string lineSettingsProblem(const termios& settings);

// The settings of the line behind `fd`, checked; a failed read is a problem too.
std::string lineSettingsProblem(int fd);

}  // namespace oltrex::bootsim
