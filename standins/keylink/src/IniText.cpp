#include "IniText.h"

namespace oltrex::simkey {
namespace {

constexpr std::size_t npos = std::string::npos;

bool isSectionHeader(std::string_view line, std::string_view* name = nullptr) {
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
    if (name) *name = trimmed(line.substr(1, line.size() - 2));
    return true;
}

// Splits "name=value"; comments and lines without "=" give false.
bool splitAssignment(std::string_view line, std::string_view& name, std::string_view& value) {
    std::string_view t = trimmed(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') return false;
    std::size_t eq = t.find('=');
    if (eq == npos) return false;
    name = trimmed(t.substr(0, eq));
    value = trimmed(t.substr(eq + 1));
    return true;
}

std::string assignment(std::string_view name, std::string_view value) {
    return std::string(name) + "=" + std::string(value);
}

}  // namespace

std::string_view trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == npos) return {};
    std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

IniText IniText::parse(std::string_view text) {
    IniText ini;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ini.lines_.emplace_back(line);
        start = end + 1;
    }
    return ini;
}

std::size_t IniText::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (isSectionHeader(lines_[i], &name) && name == section) return i;
    }
    return npos;
}

std::size_t IniText::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !isSectionHeader(lines_[i])) ++i;
    return i;
}

std::optional<std::string> IniText::get(std::string_view section, std::string_view name) const {
    std::size_t header = findSection(section);
    if (header == npos) return std::nullopt;
    for (std::size_t i = header + 1, end = sectionEnd(header); i < end; ++i) {
        std::string_view n, v;
        if (splitAssignment(lines_[i], n, v) && n == name) return std::string(v);
    }
    return std::nullopt;
}

void IniText::set(std::string_view section, std::string_view name, std::string_view value) {
    std::size_t header = findSection(section);
    if (header == npos) {
        replaceSection(section, {{std::string(name), std::string(value)}});
        return;
    }
    std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        std::string_view n, v;
        if (splitAssignment(lines_[i], n, v) && n == name) {
            lines_[i] = assignment(name, value);
            return;
        }
    }
    // Insert after the section's last non-blank line, keeping a blank separator.
    std::size_t at = end;
    while (at > header + 1 && trimmed(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), assignment(name, value));
}

void IniText::replaceSection(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>>& values) {
    std::vector<std::string> body;
    for (const auto& [n, v] : values) body.push_back(assignment(n, v));
    std::size_t header = findSection(section);
    if (header == npos) {
        if (!lines_.empty() && !trimmed(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + std::string(section) + "]");
        lines_.insert(lines_.end(), body.begin(), body.end());
        return;
    }
    std::size_t end = sectionEnd(header);
    bool blankBeforeNext = end < lines_.size();
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    if (blankBeforeNext) body.emplace_back();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1), body.begin(),
                  body.end());
}

std::string IniText::text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace oltrex::simkey
