#include "qav/search/merge/parallel_shares.h"

#include <algorithm>
#include <thread>

#include "qav/search/merge/share_pool.h"

namespace qav {

int PassShares() {
    static const int shares = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, 8);
    return shares;
}

void RunShares(int shares, const std::function<void(int share)>& work) {
    if (shares <= 1) {
        if (shares == 1) work(0);
        return;
    }
    SharePool::Instance().Run(shares, work);
}

}  // namespace qav
