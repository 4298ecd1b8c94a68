// Runs the shares of one pass (of a join, a context walk, a frequency list)
// on the library's pool threads, which keep the caller's query time limit. Each share
// writes only its own output, which the caller then takes in share order, so
// the result is the one a single walk would give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace qav {

// Shares a pass over many items is cut into, each on a worker thread: one
// per processor, from 2 to 8. The passes wait on memory more than they
// compute, so every processor adds to the speed up to the cap; past it a
// share's setup outweighs its part. Fixed for the life of the process.
int PassShares();
// Passes over fewer items run on the calling thread alone.
constexpr long long kSharedPassFrom = 20000;

// The placing step of a counting sort done in shares: counts[share][bucket]
// holds how many items the share has in the bucket, and becomes where the
// share's first item of the bucket goes. The buckets follow one another and,
// within a bucket, the shares do in order, so that the items of a bucket keep
// the order of the shares. begin gets where each bucket starts, then the
// number of items.
void PlaceCountsByShare(std::vector<std::vector<uint32_t>>& counts, size_t buckets, std::vector<uint32_t>& begin);

// Calls work(share) for share 0 .. shares - 1, share 0 on the calling thread
// and the others on pool threads (or on the calling thread when none is free);
// returns when all are done. work must not throw.
void RunShares(int shares, const std::function<void(int share)>& work);

}  // namespace qav
