// prove-kill-check ORIGINALS CONTAINERS: after a download that was killed
// again and again, checks that every original key file (the files of
// ORIGINALS and its sub-folders, as the key held them) is in at least one
// container of CONTAINERS, decrypted with the container reader. Files the
// download leaves on the key (the key's logs and TREP files) are not
// expected. Prints the counts; a missing file, a container that does not
// read and one that holds none of the originals are named. Exit status 0
// when nothing is missing and every container reads back to an original,
// 1 otherwise, 2 on wrong usage.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/testdata/EuImport.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The key's own files stay on the key: the download never takes them.
bool keysOwnFile(const std::string& name) {
    const std::string l = lower(name);
    return l.find("trep") != std::string::npos || l.find("oltrexlog") != std::string::npos;
}

std::vector<fs::path> regularFiles(const fs::path& folder, bool recursive) {
    std::vector<fs::path> files;
    std::error_code ec;
    if (recursive) {
        for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec))
            if (it->is_regular_file()) files.push_back(it->path());
    } else {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file()) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: prove-kill-check ORIGINALS CONTAINERS\n");
        return 2;
    }
    const fs::path originals = argv[1];
    const fs::path containers = argv[2];

    // EU content of each expected original -> its label.
    std::map<Bytes, std::vector<std::string>> expected;
    int files = 0;
    for (const fs::path& path : regularFiles(originals, true)) {
        const std::string name = path.filename().string();
        if (keysOwnFile(name)) continue;
        oltrex::testdata::WalkError error;
        auto eu = oltrex::testdata::euFileOfKeyForm(readBytes(path), error);
        if (!eu) {
            std::printf("original %s is not in the key's form: %s\n",
                        fs::relative(path, originals).c_str(), error.reason.c_str());
            return 2;
        }
        expected[*eu].push_back(fs::relative(path, originals).string());
        ++files;
    }

    int containerCount = 0, unreadable = 0, strays = 0, duplicates = 0, leftovers = 0;
    std::map<Bytes, int> found;
    for (const fs::path& path : regularFiles(containers, false)) {
        const std::string name = path.filename().string();
        if (name.rfind(".", 0) == 0) {  // a working file left by a killed run
            ++leftovers;
            continue;
        }
        ++containerCount;
        const auto container = oltrex::dlc::readContainerFile(path);
        if (!container.ok()) {
            ++unreadable;
            std::printf("container %s does not read: %s\n", name.c_str(),
                        container.message.c_str());
            continue;
        }
        const Bytes eu = oltrex::dlc::euDownloadFile(container.value);
        if (expected.count(eu) == 0) {
            ++strays;
            std::printf("container %s holds no original file\n", name.c_str());
            continue;
        }
        if (found[eu]++ > 0) ++duplicates;
    }

    int missing = 0;
    for (const auto& [content, labels] : expected) {
        if (found.count(content) != 0) continue;
        for (const std::string& label : labels) {
            ++missing;
            std::printf("missing: %s\n", label.c_str());
        }
    }
    std::printf(
        "files %d containers %d duplicates %d missing %d unreadable %d strays %d "
        "leftover-working-files %d\n",
        files, containerCount, duplicates, missing, unreadable, strays, leftovers);
    return missing == 0 && unreadable == 0 && strays == 0 ? 0 : 1;
}
