#pragma once
// The wildcard match of the card-file search. "*" jumps to the first later
// occurrence of the character that follows it, without backtracking, so
// "*.dlb" matches "x.dlb" but not "x.1.dlb". Case does not matter.
#include <string_view>

namespace oltrex {

bool matchesPattern(std::string_view name, std::string_view pattern);

}  // namespace oltrex
