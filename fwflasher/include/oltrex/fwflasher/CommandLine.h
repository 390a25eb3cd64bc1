#pragma once
// FwFlasher's command line: "/d" or "/D" anywhere in an argument keeps the
// protocol memo visible.
#include <string>
#include <vector>

namespace oltrex::fwflasher {

// `arguments` are the arguments after the program path: on this system the
// path itself may well contain "/d" (e.g. "/data/..."), which must not count.
bool debugViewRequested(const std::vector<std::string>& arguments);

}  // namespace oltrex::fwflasher
