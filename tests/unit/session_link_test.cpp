#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "devmode/oem_devmode.h"
#include "devmode/session_link.h"

namespace {

using namespace devmode;

TEST(SessionLink, KeysFindLiveSessionsOnly) {
    int a = 0, b = 0;
    const std::uint32_t keyA = RegisterSession(&a);
    const std::uint32_t keyB = RegisterSession(&b);
    const std::uint32_t keyA2 = RegisterSession(&a);
    EXPECT_NE(0u, keyA);
    EXPECT_NE(keyA, keyB);
    EXPECT_NE(keyA, keyA2) << "a key is not derived from the pointer";
    EXPECT_EQ(&a, FindSession(keyA));
    EXPECT_EQ(&b, FindSession(keyB));
    EXPECT_EQ(&a, FindSession(keyA2));

    UnregisterSession(keyA);
    EXPECT_EQ(nullptr, FindSession(keyA)) << "stale key";
    EXPECT_EQ(&a, FindSession(keyA2));
    EXPECT_EQ(nullptr, FindSession(0));
    EXPECT_EQ(0u, RegisterSession(nullptr));
    UnregisterSession(0);
    UnregisterSession(keyA);  // twice: ignored

    // Keys nobody handed out (say, from another process) find nothing.
    std::uint32_t unknown = 1;
    while (unknown == keyB || unknown == keyA2) ++unknown;
    EXPECT_EQ(nullptr, FindSession(unknown));
    UnregisterSession(keyB);
    UnregisterSession(keyA2);
}

TEST(SessionLink, StaleKeysAreNotHandedOutAgain) {
    int s = 0;
    const std::uint32_t stale = RegisterSession(&s);
    UnregisterSession(stale);
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 10000; ++i) {
        const std::uint32_t key = RegisterSession(&s);
        ASSERT_NE(stale, key);
        ASSERT_NE(0u, key);
        ASSERT_TRUE(seen.insert(key).second);
        UnregisterSession(key);
    }
    EXPECT_EQ(nullptr, FindSession(stale));
}

TEST(SessionLink, ConcurrentSheets) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    std::vector<std::vector<std::uint32_t>> keys(kThreads);
    std::vector<int> sessions(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const std::uint32_t key = RegisterSession(&sessions[t]);
                if (FindSession(key) != &sessions[t]) return;
                keys[t].push_back(key);
            }
        });
    }
    for (std::thread& th : threads) th.join();
    std::set<std::uint32_t> all;
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(static_cast<std::size_t>(kPerThread), keys[t].size());
        for (const std::uint32_t key : keys[t]) {
            EXPECT_TRUE(all.insert(key).second) << "live keys are unique";
            UnregisterSession(key);
        }
    }
}

TEST(SessionLink, RecordFieldIsFourBytesAt248) {
    std::vector<unsigned char> record(1 + kSize, 0xCC);
    void* r = record.data() + 1;  // hosts may hand over unaligned records
    WriteSessionLink(r, 0xA1B2C3D4u);
    EXPECT_EQ(0xA1B2C3D4u, ReadSessionLink(r));
    EXPECT_EQ(0xD4, record[1 + 248]);
    EXPECT_EQ(0xA1, record[1 + 251]);
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (i < 1 + 248 || i > 1 + 251) {
            EXPECT_EQ(0xCC, record[i]) << i;
        }
    }
    WriteSessionLink(nullptr, 1);
    EXPECT_EQ(0u, ReadSessionLink(nullptr));
}

}  // namespace
