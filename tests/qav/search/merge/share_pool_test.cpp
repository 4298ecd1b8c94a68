#include "qav/search/merge/share_pool.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "qav/search/filter/query_clock.h"
#include "qav/search/merge/parallel_shares.h"

namespace qav {
namespace {

// Runs `shares` shares on the pool and counts how often each ran.
std::vector<int> RunCounted(SharePool& pool, int shares) {
    std::vector<std::atomic<int>> runs(static_cast<size_t>(shares));
    pool.Run(shares, [&](int share) { ++runs[static_cast<size_t>(share)]; });
    std::vector<int> counts;
    for (const std::atomic<int>& count : runs) counts.push_back(count.load());
    return counts;
}

TEST(SharePoolTest, EveryShareRunsOnceWhateverThePoolSize) {
    struct Case {
        int threads;
        int shares;
    };
    const Case cases[] = {{0, 4}, {1, 4}, {3, 4}, {3, 1}, {3, 0}, {2, 9}};
    for (const Case& c : cases) {
        SharePool pool(c.threads);
        for (int round = 0; round < 50; ++round)
            EXPECT_EQ(std::vector<int>(static_cast<size_t>(c.shares), 1), RunCounted(pool, c.shares))
                << c.threads << " threads, " << c.shares << " shares";
    }
}

TEST(SharePoolTest, ShareZeroRunsOnTheCallingThread) {
    SharePool pool(3);
    std::thread::id ranShareZero;
    pool.Run(4, [&](int share) {
        if (share == 0) ranShareZero = std::this_thread::get_id();
    });
    EXPECT_EQ(std::this_thread::get_id(), ranShareZero);
}

// A share that starts a pass of its own finds every pool thread busy or
// waiting on it; its own caller must run what is left.
TEST(SharePoolTest, PassesWithinSharesFinish) {
    SharePool pool(2);
    std::atomic<int> innerRuns{0};
    pool.Run(3, [&](int) { pool.Run(3, [&](int) { pool.Run(3, [&](int) { ++innerRuns; }); }); });
    EXPECT_EQ(27, innerRuns.load());
}

TEST(SharePoolTest, ManyCallersAtOnceEachGetAllTheirShares) {
    SharePool pool(3);
    constexpr int kCallers = 8;
    std::vector<int> wrong(kCallers, 0);
    std::vector<std::thread> callers;
    for (int caller = 0; caller < kCallers; ++caller)
        callers.emplace_back([&, caller] {
            for (int round = 0; round < 200; ++round)
                if (RunCounted(pool, 4) != std::vector<int>(4, 1)) ++wrong[static_cast<size_t>(caller)];
        });
    for (std::thread& thread : callers) thread.join();
    EXPECT_EQ(std::vector<int>(kCallers, 0), wrong);
}

TEST(SharePoolTest, SharesKeepTheCallersTimeLimit) {
    SharePool pool(3);
    const auto start = std::chrono::steady_clock::now() - std::chrono::hours(1);
    g_nQueryTimeoutMs = 1234;
    g_queryStartTime = start;
    std::vector<int> limits(4, 0);
    std::vector<std::chrono::steady_clock::time_point> starts(4);
    pool.Run(4, [&](int share) {
        limits[static_cast<size_t>(share)] = g_nQueryTimeoutMs;
        starts[static_cast<size_t>(share)] = g_queryStartTime;
    });
    g_nQueryTimeoutMs = 0;
    EXPECT_EQ(std::vector<int>(4, 1234), limits);
    EXPECT_EQ(std::vector<std::chrono::steady_clock::time_point>(4, start), starts);
}

// A child forked while the pool runs has none of its threads; its passes
// must still finish, on the child's own thread.
TEST(SharePoolTest, AForkedChildRunsItsSharesItself) {
    SharePool pool(3);
    ASSERT_EQ(std::vector<int>(4, 1), RunCounted(pool, 4));
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        std::vector<std::thread::id> ranOn(4);
        pool.Run(4, [&](int share) { ranOn[static_cast<size_t>(share)] = std::this_thread::get_id(); });
        const bool allHere = std::count(ranOn.begin(), ranOn.end(), std::this_thread::get_id()) == 4;
        _exit(allHere ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST(SharePoolTest, RunSharesUsesTheLibrarysPool) {
    std::vector<std::atomic<int>> runs(PassShares());
    for (int round = 0; round < 20; ++round) RunShares(PassShares(), [&](int share) { ++runs[static_cast<size_t>(share)]; });
    for (const std::atomic<int>& count : runs) EXPECT_EQ(20, count.load());
}

}  // namespace
}  // namespace qav
