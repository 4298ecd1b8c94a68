#include "qav/search/merge/parallel_shares.h"

#include <algorithm>
#include <thread>

#include "qav/search/merge/share_pool.h"

namespace qav {

int PassShares() {
    static const int shares = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, 8);
    return shares;
}

void PlaceCountsByShare(std::vector<std::vector<uint32_t>>& counts, size_t buckets, std::vector<uint32_t>& begin) {
    begin.assign(buckets + 1, 0);
    uint32_t placed = 0;
    for (size_t bucket = 0; bucket < buckets; ++bucket) {
        begin[bucket] = placed;
        for (std::vector<uint32_t>& share : counts) {
            const uint32_t count = share[bucket];
            share[bucket] = placed;
            placed += count;
        }
    }
    begin[buckets] = placed;
}

void RunShares(int shares, const std::function<void(int share)>& work) {
    if (shares <= 1) {
        if (shares == 1) work(0);
        return;
    }
    SharePool::Instance().Run(shares, work);
}

}  // namespace qav
