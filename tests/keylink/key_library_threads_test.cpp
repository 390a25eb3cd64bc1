// Two threads calling the key library at once, as the download program's
// poller and dialog threads do, while files appear on the key.
#include <atomic>
#include <thread>

#include "KeyTestSupport.h"
#include "oltrex/simkey/KeyFolder.h"

namespace {

using namespace keytest;
namespace simkey = oltrex::simkey;

TEST(KeyLibraryThreads, TwoThreadsGetWholeAnswersWhileTheKeyToolWritesFiles) {
    TempFolder temp;
    fs::path key = temp / "key";
    ASSERT_TRUE(simkey::createKey(key, {"OX", "0000000042", "0120"}));
    const Bytes fixed = block(0x7601, countingBytes(4000, 5));
    ASSERT_TRUE(simkey::writeKeyFile(key, "V_FIXED_00000001", fixed));
    setEnv("OLTREX_KEY", key);

    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::thread writer([&] {  // the key's content changes underneath the readers
        for (int i = 0; !stop; ++i)
            if (!simkey::writeKeyFile(key, "V_CHURN_0000000" + std::to_string(i % 3),
                                      countingBytes(100 + i % 50, i)))
                ++failures;
    });
    std::thread poller([&] {
        Directory dir;
        for (int i = 0; i < 300; ++i) {
            if (keyInfo() != " StickID: OX0000000042 FW-0120") ++failures;
            if (dir.read() != 0) ++failures;
            for (const auto& e : dir.entries())
                if (e.find("\"V_FIXED_00000001\"") == std::string::npos &&
                    e.find("\"V_CHURN_") == std::string::npos)
                    ++failures;  // a half-written or temporary file was listed
        }
    });
    std::thread reader([&] {
        for (int i = 0; i < 150; ++i) {
            fs::path local = temp / ("local-" + std::to_string(i % 2));
            std::string remote = i % 2 ? "V_FIXED_00000001\\5E07C9A2" : "V_FIXED_00000001";
            if (KL_ReadFile(remote.c_str(), libraryPath(local).c_str()) != 0) {
                ++failures;
                continue;
            }
            Bytes got = readBytes(local);
            if ((i % 2 ? descramble(got) : got) != fixed) ++failures;
        }
    });
    poller.join();
    reader.join();
    stop = true;
    writer.join();
    unsetEnv("OLTREX_KEY");
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
