// Cutting a unit's offset records into runs that are sorted separately, so
// that one very large unit neither needs one huge sort nor one thread only.
#pragma once

#include <cstdint>
#include <vector>

namespace qav {

// Default of "MaxUnitCount_ToSort".
constexpr int64_t kDefaultMaxUnitCountToSort = 2147483648LL;
// Chunk limit used when the configured one is not a positive 32-bit count.
constexpr uint32_t kDefaultSortChunkLimit = static_cast<uint32_t>(kDefaultMaxUnitCountToSort);

// The configured "MaxUnitCount_ToSort" as the chunk limit: its low 32 bits,
// and the default when that is 0 or the value is not positive (a limit of 0
// would never finish cutting).
uint32_t SortChunkLimit(int64_t configured);

// Chunk sizes of count records: chunks of limit while at least 1.5 x limit
// remain, then one chunk with the rest. No records give no chunk.
std::vector<uint32_t> CutIntoChunks(uint32_t count, uint32_t limit);

}  // namespace qav
