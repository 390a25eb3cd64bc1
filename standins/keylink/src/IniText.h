#pragma once
// key.ini as lines of text, so that single values can be changed without
// losing the other lines (comments, values of other tools).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace oltrex::simkey {

class IniText {
  public:
    static IniText parse(std::string_view text);

    // The trimmed value of `name` in `section`; nullopt when either is absent.
    std::optional<std::string> get(std::string_view section, std::string_view name) const;
    // Changes the value in place, or adds it at the end of the section (the
    // section is added at the end of the file when missing).
    void set(std::string_view section, std::string_view name, std::string_view value);
    // Replaces the section's body with the given values (or adds the section).
    void replaceSection(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& values);

    std::string text() const;

  private:
    // Index of the section's header line, or npos.
    std::size_t findSection(std::string_view section) const;
    // One past the last line of the section starting at `header`.
    std::size_t sectionEnd(std::size_t header) const;

    std::vector<std::string> lines_;
};

std::string_view trimmed(std::string_view text);

}  // namespace oltrex::simkey
