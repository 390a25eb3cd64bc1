#include "oltrex/platform/Process.h"

#include <unistd.h>

#include <cstdlib>

namespace oltrex {

unsigned long currentProcessId() { return static_cast<unsigned long>(::getpid()); }

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

void setEnvironmentValue(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

}  // namespace oltrex
