#include <cstdlib>

#include "oltrex/platform/Settings.h"

namespace oltrex {

std::filesystem::path IniSettings::defaultPath() {
    if (const char* env = std::getenv("OLTREX_REGISTRY"); env && *env) return env;
    return "/etc/oltrex/registry.ini";
}

const SettingsStore& machineSettings() {
    static const IniSettings settings(IniSettings::defaultPath());
    return settings;
}

}  // namespace oltrex
