#include "oltrex/platform/PathText.h"

namespace oltrex {

namespace {

std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isPathSeparator(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

}  // namespace

bool endsWithSeparator(std::string_view path) {
    return !path.empty() && isPathSeparator(path.back());
}

void appendSeparator(std::string& path) {
    if (!path.empty() && !endsWithSeparator(path)) path += kPathSep;
}

std::string withSeparator(std::string path) {
    appendSeparator(path);
    return path;
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string result(folder);
    appendSeparator(result);
    while (!name.empty() && isPathSeparator(name.front()) && !result.empty()) name.remove_prefix(1);
    result += name;
    return result;
}

PathParts splitPath(std::string_view path) {
    PathParts parts;
    auto sep = lastSeparator(path);
    std::string_view name = path;
    if (sep != std::string_view::npos) {
        parts.folder = std::string(path.substr(0, sep + 1));
        name = path.substr(sep + 1);
    }
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        parts.base = std::string(name);
    } else {
        parts.base = std::string(name.substr(0, dot));
        parts.ext = std::string(name.substr(dot));
    }
    return parts;
}

std::string fileNameOf(std::string_view path) {
    auto sep = lastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#ifndef _WIN32
std::string systemCodePageText(std::string_view utf8) { return std::string(utf8); }
#endif

}  // namespace oltrex
