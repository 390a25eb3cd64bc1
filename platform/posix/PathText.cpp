#include "oltrex/platform/PathText.h"

namespace oltrex {

bool endsWithSeparator(std::string_view path) {
    return !path.empty() && path.back() == kPathSep;
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
    while (!name.empty() && name.front() == kPathSep && !result.empty()) name.remove_prefix(1);
    result += name;
    return result;
}

PathParts splitPath(std::string_view path) {
    PathParts parts;
    auto sep = path.rfind(kPathSep);
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
    auto sep = path.rfind(kPathSep);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

}  // namespace oltrex
