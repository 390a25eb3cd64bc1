#pragma once
// Path texts as the programs handle them: plain strings with the platform's
// separator, where the original appended, searched or removed "\".
#include <string>
#include <string_view>

namespace oltrex {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

bool endsWithSeparator(std::string_view path);
// Appends the separator unless the text is empty or already ends with one.
void appendSeparator(std::string& path);
std::string withSeparator(std::string path);
// Joins folder and name with exactly one separator between them.
std::string joinPath(std::string_view folder, std::string_view name);

// _splitpath: folder (with its trailing separator), base name, extension (with its dot).
struct PathParts {
    std::string folder;
    std::string base;
    std::string ext;
};
PathParts splitPath(std::string_view path);
// The part after the last separator.
std::string fileNameOf(std::string_view path);

// "EU\" in the original becomes this text.
inline std::string euSubfolder() { return std::string("EU") + kPathSep; }

}  // namespace oltrex
