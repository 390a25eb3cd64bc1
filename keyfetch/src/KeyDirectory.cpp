#include "oltrex/keyfetch/KeyDirectory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace {

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

}  // namespace

bool isPlainKeyFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxKeyFileNameLength || name == ".") return false;
    if (name.find("..") != std::string_view::npos) return false;
    return std::none_of(name.begin(), name.end(), [](char ch) {
        return ch == '/' || ch == '\\' || isControl(static_cast<unsigned char>(ch));
    });
}

DirectoryEntry parseDirectoryEntry(std::string_view text) {
    DirectoryEntry entry;
    const std::string terminated(text);
    if (std::sscanf(terminated.c_str(), "%8d", &entry.size) != 1) entry.size = 0;

    const auto open = text.find('"');
    if (open != std::string_view::npos) {
        const auto close = text.find('"', open + 1);
        if (close != std::string_view::npos)
            entry.name = std::string(text.substr(open + 1, close - open - 1));
    }

    const std::string lower = lowerCase(text);
    entry.secondGeneration = lower.find(".2") != std::string::npos;
    if (entry.size <= 10) {
        entry.kind = EntryKind::TooSmall;
    } else if (lower.find("trep") != std::string::npos ||
               lower.find("oltrexlog") != std::string::npos) {
        entry.kind = EntryKind::KeysOwnFile;
    } else if (!isPlainKeyFileName(entry.name)) {
        entry.kind = EntryKind::UnusableName;
    } else {
        entry.kind = EntryKind::Usable;
    }
    return entry;
}

long long DirectoryListing::totalBytes() const {
    long long sum = 0;
    for (const KeyFile& f : files) sum += f.size;
    return sum;
}

DirectoryListing readListing(const DirectoryBuffers& buffers) {
    DirectoryListing listing;
    for (std::size_t i = 0; i < buffers.buffers.size(); ++i) {
        const std::string text = buffers.entry(i);
        if (text.empty()) continue;
        ++listing.entries;
        const DirectoryEntry entry = parseDirectoryEntry(text);
        trace(printable(text) + "\r\n");
        if (entry.kind != EntryKind::Usable) {
            ++listing.unusable;
            if (entry.kind == EntryKind::UnusableName)
                trace("Unusable file name, left on the key: \"" + printable(entry.name) + "\"\r\n");
            continue;
        }
        if (entry.secondGeneration) {
            ++listing.gen2Files;
        } else {
            ++listing.gen1Files;
        }
        listing.files.push_back({entry.name, entry.size});
    }
    return listing;
}

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (isControl(c)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace oltrex
