#include "qav/search/atom/capacity_cut.h"

#include "qav/index/base/qav_log.h"

namespace qav {

void LogCapacityCut(const char* capacity, int64_t size, const char* step, const char* items, int64_t kept,
                    int64_t leftOut) {
    QavLog("Approximate: %s %lld cut the %s at %lld %s, %lld more left out\n", capacity,
           static_cast<long long>(size), step, static_cast<long long>(kept), items,
           static_cast<long long>(leftOut));
}

void LogAtomSearchCut(const char* capacity, int64_t size, const char* unit, int64_t searched, int64_t units,
                      int64_t hits) {
    QavLog("Approximate: %s %lld cut the atom search of %s at %lld hits in %lld of its %lld units\n", capacity,
           static_cast<long long>(size), unit, static_cast<long long>(hits), static_cast<long long>(searched),
           static_cast<long long>(units));
}

}  // namespace qav
