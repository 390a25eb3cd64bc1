// KeyFetch without its cipher library: the program copied with the key
// library alone into a folder of its own, so that libhime.so is found
// neither beside it nor on the loader's path (the build's run path, which
// names the build's program folder, is blanked out in the copy). No container can be made, so
// no file may leave the key, and the trace says why.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "ProveSupport.h"

namespace prove {
namespace {

// Copies `from` to `to` with every occurrence of `text` overwritten by a
// path of the same length that does not exist.
void copyWithout(const fs::path& from, const fs::path& to, const std::string& text) {
    Bytes bytes = readBytes(from);
    std::string nowhere = "/nonexistent-" + std::string(text.size(), 'x');
    nowhere.resize(text.size());
    for (auto it = bytes.begin();
         (it = std::search(it, bytes.end(), text.begin(), text.end())) != bytes.end();
         it += text.size())
        std::copy(nowhere.begin(), nowhere.end(), it);
    std::ofstream out(to, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    fs::permissions(to, fs::perms::owner_all);
}

TEST(CipherLibraryMissing, KeyFetchFilesNothingAndLeavesEveryFileOnTheKey) {
    if (binFolder().empty()) GTEST_SKIP() << "OLTREX_BIN is not set: the programs are not found";
    TempFolder root;
    const std::vector<td::KeyFile> files = mixedKeyFiles();
    makeKey(root / "key", files);
    fs::create_directories(root / "tmp");
    fs::create_directories(root / "containers");
    fs::create_directories(root / "bin");
    copyWithout(binFolder() / "KeyFetch", root / "bin" / "KeyFetch", binFolder().string());
    copyWithout(binFolder() / "libkeylink.so", root / "bin" / "libkeylink.so",
                binFolder().string());
    ASSERT_FALSE(fs::exists(root / "bin" / "libhime.so"));
    const fs::path registry = writeRegistry(root.path(), root / "containers");

    const ProgramRun run =
        runCommand("env -u LD_LIBRARY_PATH OLTREX_REGISTRY=" + quoted(registry) +
                       " OLTREX_KEY=" + quoted(root / "key") + " TMPDIR=" + quoted(root / "tmp") +
                       " " + quoted(root / "bin" / "KeyFetch") +
                       " --headless --start --no-make-eu --tick-ms 1 --display lines --trace",
                   root.path());

    EXPECT_EQ(run.status, 1) << run.output;
    const std::vector<std::string> left = keyFileNames(root / "key");
    EXPECT_EQ(left.size(), files.size()) << "a file left the key: " << run.output;
    EXPECT_TRUE(filesIn(root / "containers").empty());
    EXPECT_NE(run.output.find("cipher library libhime.so not loaded"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("left on the key"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace prove
