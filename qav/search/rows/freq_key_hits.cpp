#include "qav/search/rows/freq_key_hits.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <utility>

#include "qav/search/merge/parallel_shares.h"

namespace qav {

namespace {

// A key's counts and the number of its first hit, which orders the keys
// when the cap lets in the first ones met.
struct ClassEntry {
    int64_t first = 0;
    CFreqEntry entry;
};
using ClassMap = std::unordered_map<std::string, ClassEntry>;

// Counts, in hit order, the hits whose key hash falls in class `which`.
void CountClass(const std::vector<std::vector<FreqKeyHit>>& runs, size_t classes, size_t which, ClassMap& keys) {
    int64_t at = 0;
    for (const std::vector<FreqKeyHit>& run : runs) {
        for (const FreqKeyHit& hit : run) {
            const int64_t number = at++;
            if (hit.hash % classes != which) continue;
            auto [found, isNew] = keys.try_emplace(hit.key);
            if (isNew) found->second.first = number;
            CountFreqSource(found->second.entry, hit.source);
        }
    }
}

}  // namespace

bool CountFreqKeyHits(const std::vector<std::vector<FreqKeyHit>>& runs, int threads, CFreqMap& map) {
    const size_t classes = static_cast<size_t>(std::max(threads, 1));
    std::vector<ClassMap> counted(classes);
    std::atomic<bool> noMemory{false};
    RunShares(static_cast<int>(classes), [&](int which) {
        try {
            ClassMap keys;
            CountClass(runs, classes, static_cast<size_t>(which), keys);
            counted[static_cast<size_t>(which)] = std::move(keys);
        } catch (const std::bad_alloc&) {
            noMemory = true;
        }
    });
    if (noMemory) return false;
    try {
        std::vector<ClassMap::value_type*> byFirstHit;
        for (ClassMap& keys : counted)
            for (auto& key : keys) byFirstHit.push_back(&key);
        std::sort(byFirstHit.begin(), byFirstHit.end(),
                  [](const auto* a, const auto* b) { return a->second.first < b->second.first; });
        // Let in, in the order a single walk meets them, as the map's order
        // of iteration depends on the order of insertion.
        for (auto* key : byFirstHit) {
            if (map.size() >= kMaxFreqKeys) break;
            map.emplace(key->first, std::move(key->second.entry));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace qav
