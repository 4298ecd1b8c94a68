#include "qav/search/merge/parallel_shares.h"

#include "qav/search/merge/share_pool.h"

namespace qav {

void RunShares(int shares, const std::function<void(int share)>& work) {
    if (shares <= 1) {
        if (shares == 1) work(0);
        return;
    }
    SharePool::Instance().Run(shares, work);
}

}  // namespace qav
