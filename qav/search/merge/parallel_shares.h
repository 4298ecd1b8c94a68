// Runs the shares of one pass (of a join, a context walk, a frequency list)
// on the library's pool threads, which keep the caller's query time limit. Each share
// writes only its own output, which the caller then takes in share order, so
// the result is the one a single walk would give.
#pragma once

#include <functional>

namespace qav {

// Shares a pass over many items is cut into, each on a worker thread: one
// per processor, from 2 to 8. The passes wait on memory more than they
// compute, so every processor adds to the speed up to the cap; past it a
// share's setup outweighs its part. Fixed for the life of the process.
int PassShares();
// Passes over fewer items run on the calling thread alone.
constexpr long long kSharedPassFrom = 20000;

// Calls work(share) for share 0 .. shares - 1, share 0 on the calling thread
// and the others on pool threads (or on the calling thread when none is free);
// returns when all are done. work must not throw.
void RunShares(int shares, const std::function<void(int share)>& work);

}  // namespace qav
