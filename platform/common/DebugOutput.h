#pragma once
// The system debug output of the platform, which receives every trace line.
#include <string_view>

namespace oltrex {

#ifdef _WIN32
inline constexpr bool kSystemDebugOutput = true;
#else
inline constexpr bool kSystemDebugOutput = false;  // Linux has none: lines go to stderr when enabled
#endif

void writeSystemDebugOutput(std::string_view text);

}  // namespace oltrex
