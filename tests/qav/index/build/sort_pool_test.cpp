#include "qav/index/build/sort_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// However many regions are handed out, no more sorts run at once than the
// sorting thread setting allows, the waiting thread counted; a setting of 0
// or below sorts on the waiting thread alone.
TEST(SortPool, RunsEveryTaskWithAtMostMaxThreadsAtOnce) {
    struct Case {
        int max_threads;
        int allowed;
    };
    for (const Case c : {Case{3, 3}, Case{1, 1}, Case{0, 1}, Case{-2, 1}}) {
        std::atomic<int> running{0};
        std::atomic<int> most{0};
        std::atomic<int> done{0};
        {
            qav::SortPool pool(c.max_threads);
            for (int task = 0; task < 24; ++task)
                pool.Submit([&] {
                    const int now = ++running;
                    int seen = most.load();
                    while (now > seen && !most.compare_exchange_weak(seen, now)) {
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    --running;
                    ++done;
                });
            pool.Wait();
            EXPECT_EQ(24, done.load()) << c.max_threads;
        }
        EXPECT_LE(most.load(), c.allowed) << c.max_threads;
        EXPECT_GE(most.load(), 1);
    }
}

}  // namespace
