#pragma once
// The debug trace: on Windows always the system debug output
// (OutputDebugString); everywhere standard error when OLTREX_TRACE=1 or
// --trace is given. Lines are written as they are (the callers end them with
// "\r\n" themselves). Thread-safe.
#include <functional>
#include <string>
#include <string_view>

namespace oltrex {

void trace(std::string_view text);
// printf-style convenience; the result is cut at 4096 characters.
void tracef(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool traceEnabled();
void setTraceEnabled(bool on);
// Enables the trace when OLTREX_TRACE=1 in the environment.
void enableTraceFromEnvironment();

// Replaces the sink (tests capture lines with it); an empty function restores
// standard error. The sink receives text only while the trace is enabled.
void setTraceSink(std::function<void(std::string_view)> sink);

}  // namespace oltrex
