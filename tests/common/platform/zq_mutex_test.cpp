#include "common/platform/zq_mutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/text/zq_strtok.h"

namespace {

TEST(ZqMutex, NullHandleIsAccepted) {
    EXPECT_EQ(zq_mutex_enter(nullptr), 0);
    EXPECT_EQ(zq_mutex_leave(nullptr), 0);
    zq_mutex_delete(nullptr);
}

TEST(ZqMutex, LockAndUnlockReportSuccess) {
    void* mutex = zq_mutex_create();
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(zq_mutex_enter(mutex), 0);
    EXPECT_EQ(zq_mutex_leave(mutex), 0);
    zq_mutex_delete(mutex);
}

TEST(CZQMutex, SerialisesConcurrentUpdates) {
    qz::CZQMutex mutex;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                EXPECT_TRUE(mutex.Lock());
                ++counter;
                EXPECT_TRUE(mutex.Unlock());
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 80000);
}

TEST(ZqStrtok, KeepsItsPositionInTheCallersState) {
    char first[] = ",a,,b,";
    char second[] = "x y";
    char* state1 = nullptr;
    char* state2 = nullptr;
    EXPECT_STREQ(zq_strtok(first, ",", &state1), "a");
    EXPECT_STREQ(zq_strtok(second, " ", &state2), "x");
    EXPECT_STREQ(zq_strtok(nullptr, ",", &state1), "b");
    EXPECT_STREQ(zq_strtok(nullptr, " ", &state2), "y");
    EXPECT_EQ(zq_strtok(nullptr, ",", &state1), nullptr);
}

}  // namespace
