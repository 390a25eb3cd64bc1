#include "oltrex/platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "DebugOutput.h"

namespace oltrex {
namespace {

struct TraceState {
    std::mutex mutex;
    bool enabled = false;
    std::function<void(std::string_view)> sink;
};

TraceState& state() {
    static TraceState s;
    return s;
}

}  // namespace

void trace(std::string_view text) {
    TraceState& s = state();
    std::lock_guard lock(s.mutex);
    writeSystemDebugOutput(text);
    if (!s.enabled) return;
    if (s.sink) {
        s.sink(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
}

void tracef(const char* format, ...) {
    if (!traceEnabled() && !kSystemDebugOutput) return;
    char buffer[4096];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return;
    trace(std::string_view(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1)));
}

bool traceEnabled() {
    TraceState& s = state();
    std::lock_guard lock(s.mutex);
    return s.enabled;
}

void setTraceEnabled(bool on) {
    TraceState& s = state();
    std::lock_guard lock(s.mutex);
    s.enabled = on;
}

void enableTraceFromEnvironment() {
    const char* value = std::getenv("OLTREX_TRACE");
    if (value && std::strcmp(value, "1") == 0) setTraceEnabled(true);
}

void setTraceSink(std::function<void(std::string_view)> sink) {
    TraceState& s = state();
    std::lock_guard lock(s.mutex);
    s.sink = std::move(sink);
}

}  // namespace oltrex
