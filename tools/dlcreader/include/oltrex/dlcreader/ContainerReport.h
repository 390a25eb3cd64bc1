#pragma once
// The listing the container reader prints: header values, then one line per
// block (tag, length) or per card record (file identifier, appendix, length).
// It names no content, so it never shows personal data.
#include <cstdint>
#include <string>

#include "oltrex/dlcreader/ContainerReader.h"

namespace oltrex::dlc {

// "YYYY-MM-DD hh:mm:ss" of a header time.
std::string headerTimeText(std::uint32_t seconds);

std::string describeContainer(const Container& container);

}  // namespace oltrex::dlc
