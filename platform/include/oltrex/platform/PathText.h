#pragma once
// Path texts as the programs handle them: plain UTF-8 strings with the
// platform's separator, where the original appended, searched or removed "\".
#include <filesystem>
#include <string>
#include <string_view>

namespace oltrex {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

// "\" and, on Windows, "/" too (as the system's path functions take both).
constexpr bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

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

// A path from UTF-8 text and the UTF-8 text of a path. Every conversion
// between the two goes through these: on Windows the standard library would
// read a plain string in the ANSI code page ("Müller" would be garbled).
std::filesystem::path pathFromUtf8(std::string_view text);
std::string utf8Of(const std::filesystem::path& path);

// UTF-8 text in the system's ANSI code page, for outside libraries that take
// single-byte texts (Windows); unchanged elsewhere.
std::string systemCodePageText(std::string_view utf8);

}  // namespace oltrex
