#pragma once
// Helpers shared by the test-data tests: the EU samples (read at run time from
// $OLTREX_SAMPLES, never copied) and small byte utilities.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "oltrex/testdata/Bytes.h"

namespace oltrex::testdata::test {

inline Bytes readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::optional<std::filesystem::path> samplesFolder() {
    const char* dir = std::getenv("OLTREX_SAMPLES");
    if (!dir || !*dir || !std::filesystem::is_directory(dir)) return std::nullopt;
    return std::filesystem::path(dir);
}

// A sample is named only by its number ("sample 3"): the file names hold
// personal values that must not appear in test output.
struct Sample {
    std::string label;
    std::filesystem::path path;
    bool euFormat = true;
};

inline std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The .ddd/.tgd files of the folder in name order; the rows of SOURCES.md that
// say "not EU" mark the files that are not in the EU layout.
inline std::vector<Sample> samples(const std::filesystem::path& folder) {
    std::vector<std::string> notEu;
    std::ifstream sources(folder / "SOURCES.md");
    for (std::string line; std::getline(sources, line);) {
        if (line.rfind("| ", 0) != 0 || lower(line).find("not eu") == std::string::npos) continue;
        const auto end = line.find(" |", 2);
        if (end != std::string::npos) notEu.push_back(line.substr(2, end - 2));
    }
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string ext = lower(entry.path().extension().string());
        if (entry.is_regular_file() && (ext == ".ddd" || ext == ".tgd")) paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<Sample> out;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const bool eu = std::find(notEu.begin(), notEu.end(), paths[i].filename().string()) == notEu.end();
        out.push_back({"sample " + std::to_string(i + 1), paths[i], eu});
    }
    return out;
}

inline std::size_t countByte(ByteView bytes, std::uint8_t value) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), value));
}

}  // namespace oltrex::testdata::test
