#include "qav/search/merge/parallel_shares.h"

#include <system_error>
#include <thread>
#include <vector>

#include "qav/search/filter/query_clock.h"

namespace qav {

void RunShares(int shares, const std::function<void(int share)>& work) {
    const int timeoutMs = g_nQueryTimeoutMs;
    const auto startTime = g_queryStartTime;
    auto onWorker = [&](int share) {
        g_nQueryTimeoutMs = timeoutMs;
        g_queryStartTime = startTime;
        work(share);
    };
    std::vector<std::thread> threads;
    std::vector<int> inlineShares;
    for (int share = 1; share < shares; ++share) {
        try {
            threads.emplace_back(onWorker, share);
        } catch (const std::system_error&) {
            inlineShares.push_back(share);  // no thread to be had: the caller does this share
        }
    }
    work(0);
    for (int share : inlineShares) work(share);
    for (std::thread& thread : threads) thread.join();
}

}  // namespace qav
