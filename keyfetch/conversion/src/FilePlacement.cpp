#include "FilePlacement.h"

#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

fs::path folderOf(const fs::path& path) {
    fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Shell wildcards: "*" any run of characters, "?" one character; a name that
// starts with a dot is matched only by a pattern that starts with one.
bool matchesWildcards(std::string_view name, std::string_view pattern) {
    if (!name.empty() && name.front() == '.' && (pattern.empty() || pattern.front() != '.')) return false;
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool placeNewFile(std::string& path, const std::vector<std::span<const std::uint8_t>>& parts, std::error_code& ec) {
    ec.clear();
    const fs::path folder = folderOf(pathFromUtf8(path));
    ExclusiveFile part;
    // A filed download gets the usual permissions of the folder's files.
    if (!part.createUnique(folder, ".oltrex-", ".part", ec, true)) return false;
    bool ok = true;
    for (const auto& piece : parts) ok = ok && part.write(piece.data(), piece.size(), ec);
    ok = ok && part.syncAndClose(ec);
    for (int attempt = 0; ok && attempt < 1000; ++attempt) {
        if (moveWithoutReplacing(part.path(), pathFromUtf8(path), ec)) return syncFolder(folder, ec);
        if (ec != std::errc::file_exists) {
            ok = false;
            break;
        }
        makeUniquePath(path);  // taken since the name was chosen: number it
    }
    if (ok) ec = std::make_error_code(std::errc::file_exists);
    part.close();
    std::error_code ignored;
    fs::remove(part.path(), ignored);
    return false;
}

bool isPrivateWorkFolder(const fs::path& folder) { return isPrivateFolder(folder); }

void removeMatchingFiles(const fs::path& folder, const char* pattern, const fs::path& keep) {
    std::error_code ec;
    const fs::path kept = keep.empty() ? fs::path() : fs::weakly_canonical(keep, ec);
    ec.clear();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statEc;
        if (it->is_directory(statEc) && !it->is_symlink(statEc)) continue;
        if (!matchesWildcards(utf8Of(it->path().filename()), pattern)) continue;
        std::error_code removeEc;
        if (!kept.empty() && fs::weakly_canonical(it->path(), removeEc) == kept) continue;
        fs::remove(it->path(), removeEc);
    }
}

}  // namespace oltrex
