#pragma once
// What the tests take from POSIX for their own set-up and the Windows C
// library lacks: setenv(), unsetenv() and mkdtemp(). Included into every test
// of the Windows build.
#ifdef _WIN32
#include <direct.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "oltrex/platform/Process.h"

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && oltrex::environmentValue(name)) return 0;
    oltrex::setEnvironmentValue(name, std::string(value));
    return 0;
}

// A path's c_str() is a wide text on Windows.
inline int setenv(const char* name, const wchar_t* value, int overwrite) {
    if (!overwrite && oltrex::environmentValue(name)) return 0;
    std::string utf8;
    for (const char8_t c : std::filesystem::path(value).u8string()) utf8.push_back(static_cast<char>(c));
    oltrex::setEnvironmentValue(name, utf8);
    return 0;
}

inline int unsetenv(const char* name) {
    oltrex::setEnvironmentValue(name, std::nullopt);
    return 0;
}

// A new folder named after `pattern`, whose last six characters ("XXXXXX")
// are replaced; nullptr when none can be made.
inline char* mkdtemp(char* pattern) {
    const std::size_t length = strlen(pattern);
    if (length < 6 || strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    static std::mt19937 random{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (std::size_t i = length - 6; i < length; ++i) pattern[i] = letters[random() % 36];
        if (_mkdir(pattern) == 0) return pattern;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}
#endif
#endif
