#pragma once
// The key's file directory as KeyFetch reads it: 128 text entries of the form
// "%8d Bytes - " plus the file name in double quotes, sorted into usable
// first- and second-generation tachograph files and entries left alone.
#include <string>
#include <string_view>
#include <vector>

#include "oltrex/device/KeyLibrary.h"

namespace oltrex {

// The longest file name KeyFetch accepts from a key.
inline constexpr std::size_t kMaxKeyFileNameLength = 99;

// A name that can safely become a local file name: 1-99 characters, no path
// separator ("/" or "\"), no "..", no control character, not ".".
bool isPlainKeyFileName(std::string_view name);

enum class EntryKind {
    Usable,
    TooSmall,      // 10 bytes or less, or an unreadable size
    KeysOwnFile,   // the key's logs ("oltrexlog") and TREP files: left alone
    UnusableName,  // a name that is not a plain file name
};

struct DirectoryEntry {
    std::string name;
    int size = 0;
    EntryKind kind = EntryKind::TooSmall;
    bool secondGeneration = false;  // the entry's text contains ".2"
};

DirectoryEntry parseDirectoryEntry(std::string_view text);

struct KeyFile {
    std::string name;
    int size = 0;
};

struct DirectoryListing {
    int entries = 0;   // non-empty entries
    int unusable = 0;  // entries not downloaded
    int gen1Files = 0;
    int gen2Files = 0;
    std::vector<KeyFile> files;  // usable files in directory order
    int usableCount() const { return entries - unusable; }
    long long totalBytes() const;
};

// Walks the 128 buffers in order, writing each raw entry to the trace.
DirectoryListing readListing(const DirectoryBuffers& buffers);

// The text with control characters written as \xNN, for trace lines.
std::string printable(std::string_view text);

}  // namespace oltrex
