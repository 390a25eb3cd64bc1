// The numbered registers of the cipher library: what the container maker relies on
// when it fills registers 1-3, reads register 4 and clears them again.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hime_library.h"

using oltrex::testing::HimeTest;
using Bytes = std::vector<std::uint8_t>;

namespace {

TEST_F(HimeTest, EveryRegisterStartsEmpty) {
    for (int reg = 0; reg < HI_REGISTER_COUNT; ++reg) {
        EXPECT_EQ(hime.length(reg), 0) << reg;
        EXPECT_EQ(hime.get(reg), nullptr) << reg;
    }
}

TEST_F(HimeTest, AddingAppendsToWhatTheRegisterHolds) {
    ASSERT_EQ(hime.putText(1, "abc"), 0);
    ASSERT_EQ(hime.putText(1, "defg"), 0);
    EXPECT_EQ(hime.length(1), 7);
    const Bytes expected{'a', 'b', 'c', 'd', 'e', 'f', 'g'};
    EXPECT_EQ(hime.bytes(1), expected);
    EXPECT_EQ(hime.length(2), 0) << "other registers stay untouched";
}

TEST_F(HimeTest, ClearingEmptiesOnlyThatRegister) {
    hime.putText(1, "one");
    hime.putText(2, "two");
    ASSERT_EQ(hime.clear(1), 0);
    EXPECT_EQ(hime.length(1), 0);
    EXPECT_EQ(hime.get(1), nullptr);
    EXPECT_EQ(hime.length(2), 3);
    EXPECT_EQ(hime.clear(1), 0) << "clearing an empty register is fine";
}

TEST_F(HimeTest, RegisterNumbersOutsideTheBankAreRefused) {
    for (int reg : {-1, HI_REGISTER_COUNT, 1000}) {
        EXPECT_LT(hime.putText(reg, "x"), 0) << reg;
        EXPECT_EQ(hime.get(reg), nullptr) << reg;
        EXPECT_LT(hime.length(reg), 0) << reg;
        EXPECT_LT(hime.clear(reg), 0) << reg;
        EXPECT_LT(hime.encrypt(reg, 2, 3, 4), 0) << reg;
        EXPECT_LT(hime.decrypt(1, 2, 3, reg), 0) << reg;
    }
}

TEST_F(HimeTest, NegativeLengthsAndMissingDataAreRefusedWithoutChange) {
    hime.putText(1, "kept");
    EXPECT_LT(hime.put(1, "x", -1), 0);
    EXPECT_LT(hime.put(1, nullptr, 5), 0);
    EXPECT_EQ(hime.put(1, nullptr, 0), 0) << "nothing to add is no error";
    EXPECT_EQ(hime.length(1), 4);
}

TEST_F(HimeTest, ARegisterCanBeAppendedToItselfWhileItGrows) {
    const std::string start(1000, 'z');
    hime.putText(3, start);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(hime.put(3, hime.get(3), hime.length(3)), 0);
    }
    EXPECT_EQ(hime.bytes(3), Bytes(32000, 'z'));
}

TEST_F(HimeTest, EachThreadHasItsOwnRegisters) {
    hime.putText(1, "main thread");
    int lengthSeenByOtherThread = -1;
    std::thread other([&] {
        lengthSeenByOtherThread = hime.length(1);
        hime.putText(1, "other");
    });
    other.join();
    EXPECT_EQ(lengthSeenByOtherThread, 0);
    EXPECT_EQ(hime.length(1), 11) << "another thread's data never mixes into this thread's register";
}

TEST_F(HimeTest, ThreadsEncryptingAtTheSameTimeGetTheirOwnResults) {
    constexpr int kThreads = 4;
    std::vector<Bytes> alone(kThreads);
    std::vector<int> mismatches(kThreads, 0);
    auto encryptOnce = [this](int seed) {
        const std::string key(24, static_cast<char>('a' + seed));
        const std::string iv(16, static_cast<char>('A' + seed));
        const std::string data(4096 + seed, static_cast<char>('0' + seed));
        hime.putText(1, data);
        hime.putText(2, key);
        hime.putText(3, iv);
        hime.encrypt(1, 2, 3, 4);
        Bytes out = hime.bytes(4);
        for (int reg = 1; reg <= 4; ++reg) hime.clear(reg);
        return out;
    };
    for (int i = 0; i < kThreads; ++i) alone[static_cast<std::size_t>(i)] = encryptOnce(i);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            const auto slot = static_cast<std::size_t>(i);
            for (int round = 0; round < 50; ++round) {
                if (encryptOnce(i) != alone[slot]) ++mismatches[slot];
            }
        });
    }
    for (auto& t : threads) t.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_FALSE(alone[static_cast<std::size_t>(i)].empty());
        EXPECT_EQ(mismatches[static_cast<std::size_t>(i)], 0) << "thread " << i;
    }
}

}  // namespace

namespace {

// KeyFetch loads the library for each filed file and releases it again, and
// its threads come and go meanwhile: a thread's registers must neither
// outlive the library nor break the thread's end.
TEST(HimeLibraryLifetime, SurvivesThreadsAcrossRepeatedLoadsAndReleases) {
    std::mutex mutex;
    std::condition_variable changed;
    int stage = 0;  // 1: the long-lived thread used the library; 2: it was released
    auto waitFor = [&](int wanted) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stage >= wanted; });
    };
    auto advance = [&](int to) {
        std::lock_guard lock(mutex);
        stage = to;
        changed.notify_all();
    };
    int longLivedLength = -1;
    {
        auto hime = std::make_unique<oltrex::testing::HimeLibrary>();
        ASSERT_TRUE(hime->loaded()) << hime->error();
        std::thread longLived([&] {
            hime->putText(5, "outlives the library");
            longLivedLength = hime->length(5);
            advance(1);
            waitFor(2);  // ends only after the library was released
        });
        waitFor(1);
        hime.reset();
        advance(2);
        longLived.join();
    }
    EXPECT_EQ(longLivedLength, 20);
    std::atomic<int> wrong{0};
    for (int round = 0; round < 30; ++round) {
        oltrex::testing::HimeLibrary hime;
        ASSERT_TRUE(hime.loaded()) << hime.error();
        EXPECT_EQ(hime.length(5), 0) << "a loaded library starts with empty registers";
        std::vector<std::thread> threads;
        for (int i = 0; i < 4; ++i) {
            threads.emplace_back([&hime, &wrong, i] {
                const std::string text(static_cast<std::size_t>(10 + i), 'x');
                hime.putText(1, text);
                if (hime.length(1) != 10 + i) ++wrong;
                hime.clear(1);
            });
        }
        for (auto& t : threads) t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
