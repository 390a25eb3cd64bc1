// Directory entries as the key lists them ("%8d Bytes - " and a quoted name):
// one entry on its own, and a whole directory of 128 buffers filled from the
// input. A file that is listed as usable must carry a plain file name.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "oltrex/keyfetch/KeyDirectory.h"

namespace {
constexpr const char* kTarget = "directory_entry";

bool plainName(std::string_view name) {
    if (name.empty() || name.size() > oltrex::kMaxKeyFileNameLength || name == "." || name == "..")
        return false;
    if (name.find("..") != std::string_view::npos) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || u < 0x20 || u == 0x7F;
    });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const DirectoryEntry single = parseDirectoryEntry(text);
    if (single.kind == EntryKind::Usable) {
        OLTREX_FUZZ_CHECK(plainName(single.name),
                          "a usable entry has a name that is not a plain file name");
        OLTREX_FUZZ_CHECK(single.size > 10, "a usable entry has 10 bytes or less");
    }

    // The directory: entries separated by line feeds, each cut into its
    // 100-byte buffer the way the library fills it (NUL-terminated).
    DirectoryBuffers dir;
    std::size_t start = 0;
    for (std::size_t i = 0; i < dir.buffers.size() && start < size; ++i) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = size;
        const std::size_t n = std::min(end - start, dir.buffers[i].size() - 1);
        std::memcpy(dir.buffers[i].data(), data + start, n);
        start = end + 1;
    }
    const DirectoryListing listing = readListing(dir);
    OLTREX_FUZZ_CHECK(listing.entries <= static_cast<int>(dir.buffers.size()),
                      "more entries than buffers");
    OLTREX_FUZZ_CHECK(listing.usableCount() == static_cast<int>(listing.files.size()),
                      "the usable count differs from the files listed");
    OLTREX_FUZZ_CHECK(
        listing.gen1Files + listing.gen2Files == static_cast<int>(listing.files.size()),
        "the generation counts differ from the files listed");
    for (const KeyFile& f : listing.files) {
        OLTREX_FUZZ_CHECK(plainName(f.name),
                          "a listed file has a name that is not a plain file name");
        OLTREX_FUZZ_CHECK(f.name.size() < KL_DIR_ENTRY_SIZE,
                          "a listed name is longer than its buffer");
    }
    (void)printable(text);
    return 0;
}
