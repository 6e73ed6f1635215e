#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "devmode/session_link.h"

namespace {

using devmode::SessionTable;

constexpr std::uint32_t kSheetThread = 7;

TEST(SessionTable, KeysFindLiveSessionsOfTheirOwnThreadOnly) {
    SessionTable table;
    int a = 0, b = 0;
    const std::uint32_t keyA = table.Register(&a, kSheetThread);
    const std::uint32_t keyB = table.Register(&b, kSheetThread);
    const std::uint32_t keyA2 = table.Register(&a, kSheetThread);
    EXPECT_NE(0u, keyA);
    EXPECT_NE(keyA, keyB);
    EXPECT_NE(keyA, keyA2) << "a key is not derived from the pointer";
    EXPECT_EQ(&b, table.Find(keyB, kSheetThread));
    EXPECT_EQ(nullptr, table.Find(keyB, kSheetThread + 1)) << "another thread's sheet";
    EXPECT_EQ(keyB, table.KeyOf(&b, kSheetThread));
    EXPECT_EQ(0u, table.KeyOf(&b, kSheetThread + 1));

    table.Unregister(keyA);
    EXPECT_EQ(nullptr, table.Find(keyA, kSheetThread)) << "stale key";
    EXPECT_EQ(&a, table.Find(keyA2, kSheetThread));
    EXPECT_EQ(nullptr, table.Find(0, kSheetThread));
    EXPECT_EQ(0u, table.Register(nullptr, kSheetThread));
    table.Unregister(keyA);  // twice: ignored

    // Keys nobody handed out (say, from another process) find nothing.
    std::uint32_t unknown = 1;
    while (unknown == keyB || unknown == keyA2) ++unknown;
    EXPECT_EQ(nullptr, table.Find(unknown, kSheetThread));
    EXPECT_EQ(0u, table.KeyOf(&unknown, kSheetThread));
}

TEST(SessionTable, StaleKeysAreNotHandedOutAgain) {
    SessionTable table;
    int s = 0;
    const std::uint32_t stale = table.Register(&s, kSheetThread);
    table.Unregister(stale);
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 10000; ++i) {
        const std::uint32_t key = table.Register(&s, kSheetThread);
        ASSERT_NE(stale, key);
        ASSERT_NE(0u, key);
        ASSERT_TRUE(seen.insert(key).second);
        table.Unregister(key);
    }
    EXPECT_EQ(nullptr, table.Find(stale, kSheetThread));
}

TEST(SessionTable, SheetsOnSeveralThreads) {
    SessionTable table;
    constexpr std::uint32_t kThreads = 4;
    constexpr int kPerThread = 500;
    std::vector<std::vector<std::uint32_t>> keys(kThreads);
    std::vector<int> sessions(kThreads);
    std::vector<std::thread> threads;
    for (std::uint32_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const std::uint32_t key = table.Register(&sessions[t], t);
                if (table.Find(key, t) != &sessions[t]) return;
                keys[t].push_back(key);
            }
        });
    }
    for (std::thread& th : threads) th.join();
    std::set<std::uint32_t> all;
    for (std::uint32_t t = 0; t < kThreads; ++t) {
        ASSERT_EQ(static_cast<std::size_t>(kPerThread), keys[t].size());
        for (const std::uint32_t key : keys[t]) {
            EXPECT_TRUE(all.insert(key).second) << "live keys are unique";
            table.Unregister(key);
        }
    }
}

}  // namespace
