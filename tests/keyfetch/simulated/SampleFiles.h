#pragma once
// The public EU downloads of $OLTREX_SAMPLES in the key's form, with the
// original EU file of each.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "KeyFetchFakes.h"
#include "oltrex/testdata/EuImport.h"

namespace kftest {

struct SampleKeyFiles {
    std::vector<oltrex::testdata::KeyFile> files;  // one per key name
    std::map<std::string, Bytes> originals;        // key name -> the sample
    int refused = 0;                               // samples that are no EU download file
};

// Empty when the folder is not there.
inline SampleKeyFiles sampleKeyFiles() {
    SampleKeyFiles out;
    const char* folder = std::getenv("OLTREX_SAMPLES");
    std::error_code ec;
    if (folder == nullptr || !fs::is_directory(folder, ec)) return out;
    std::vector<fs::path> paths;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file() && e.path().extension() != ".md") paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
        const Bytes bytes = readBytes(path);
        oltrex::testdata::ImportRefusal refusal;
        auto imported =
            oltrex::testdata::importEuFile(bytes, path.filename().string(), 0x622B5715, refusal);
        if (!imported) {
            ++out.refused;
            continue;
        }
        if (out.originals.count(imported->file.name)) continue;  // the same download twice
        out.originals[imported->file.name] = bytes;
        out.files.push_back(std::move(imported->file));
    }
    return out;
}

}  // namespace kftest
