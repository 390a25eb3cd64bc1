// The wildcard match of the card-file search on arbitrary names and patterns.
// A pattern without wildcards matches exactly its own name (case aside), and
// "*" matches every name that has a base name.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/drives/PatternMatch.h"

namespace {
constexpr const char* kTarget = "pattern_match";

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    FuzzedDataProvider in(data, size);
    const std::string pattern = in.ConsumeRandomLengthString(32);
    const std::string name = in.ConsumeRemainingBytesAsString();
    const bool matched = matchesPattern(name, pattern);

    const bool plain = pattern.find_first_of("*?:\\") == std::string::npos;
    if (plain && !name.empty() && name.front() != '.' && !pattern.empty()) {
        OLTREX_FUZZ_CHECK(matched == (lower(name) == lower(pattern)),
                          "a plain pattern does not match exactly");
    }
    OLTREX_FUZZ_CHECK(matchesPattern(name, name) || name.empty() || name.front() == '.' ||
                          name.find_first_of("*?:\\") != std::string::npos,
                      "a plain name does not match itself");
    (void)matchesPattern(pattern, name);
    return 0;
}
