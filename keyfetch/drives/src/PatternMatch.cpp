#include "oltrex/drives/PatternMatch.h"

#include <string>

namespace oltrex {
namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

bool matchesPattern(std::string_view nameText, std::string_view patternText) {
    const std::string name = lowered(nameText);
    const std::string pattern = lowered(patternText);

    // Base name and extension split at the last dot, as a path splitter does.
    const std::size_t dot = name.rfind('.');
    const bool hasBase = dot == std::string::npos ? !name.empty() : dot > 0;
    const bool hasExt = dot != std::string::npos;
    if (pattern.find('.') != std::string::npos) {
        if (!hasBase || !hasExt) return false;
    } else if (!hasBase) {
        return false;
    }

    std::size_t n = 0;
    bool pending = false;
    for (char p : pattern) {
        if (p == '?') {
            if (n >= name.size()) return false;
            ++n;
        } else if (p == ':' || p == '\\') {
            continue;
        } else if (p == '*') {
            pending = true;
        } else if (pending) {
            // No backtracking: the first occurrence is taken for good.
            std::size_t at = name.find(p, n);
            if (at == std::string::npos) return false;
            n = at + 1;
            pending = false;
        } else {
            if (n >= name.size() || name[n] != p) return false;
            ++n;
        }
    }
    return n == name.size() || (!pattern.empty() && pattern.back() == '*');
}

}  // namespace oltrex
