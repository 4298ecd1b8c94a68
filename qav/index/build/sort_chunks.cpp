#include "qav/index/build/sort_chunks.h"

namespace qav {

uint32_t SortChunkLimit(int64_t configured) {
    const uint32_t limit = static_cast<uint32_t>(configured);
    if (configured <= 0 || limit == 0) return kDefaultSortChunkLimit;
    return limit;
}

std::vector<uint32_t> CutIntoChunks(uint32_t count, uint32_t limit) {
    std::vector<uint32_t> chunks;
    if (limit == 0) limit = kDefaultSortChunkLimit;
    uint32_t done = 0;
    while (done < count) {
        const uint32_t rest = count - done;
        if (rest < limit || uint64_t{rest} < uint64_t{limit} + limit / 2) {
            chunks.push_back(rest);
            break;
        }
        chunks.push_back(limit);
        done += limit;
    }
    return chunks;
}

}  // namespace qav
