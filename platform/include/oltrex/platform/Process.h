#pragma once
// The process: its id and its environment, as UTF-8 text.
#include <optional>
#include <string>

namespace oltrex {

unsigned long currentProcessId();

// The variable's value; nullopt when it is not set.
std::optional<std::string> environmentValue(const char* name);
// Sets (or, with nullopt, removes) a variable of this process.
void setEnvironmentValue(const char* name, const std::optional<std::string>& value);

}  // namespace oltrex
