#include "qav/search/merge/tag_places.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <utility>

#include "qav/search/atom/record_walk.h"
#include "qav/search/filter/query_time.h"
#include "qav/search/merge/parallel_shares.h"

namespace qav {

bool TagPlaces::Fill(const CAtomRet& atom, const RecordCompareContext& corpus, bool& cut) {
    cut = false;
    const uint64_t bits = m_places.Reset(corpus);
    m_bits.assign((bits + 63) / 64 * 2, 0);

    // Each share walks every record and sets the bits of its own range of
    // words: a bit set at random over the whole set would wait for memory
    // at every record, a share's range stays in the nearer caches.
    const int64_t records = CountSegmentRecords(atom);
    const int shares = records >= kSharedPassFrom ? kPassShares : 1;
    const size_t words = m_bits.size();
    std::atomic<bool> refused{false};
    std::atomic<bool> timedOut{false};
    RunShares(shares, [&](int share) {
        QueryTimeCheck clock;
        const size_t first = words * share / shares;
        const size_t end = words * (share + 1) / shares;
        auto owned = [&](uint64_t bit, int layer) {
            const size_t word = WordOf(bit, layer);
            return word >= first && word < end;
        };
        VisitRawRecords(atom, [&](const unsigned char* raw, uint8_t width) {
            if (clock.Step()) {
                timedOut = true;
                return false;
            }
            const OffsetRecordInfo record = ReadOffsetRecord(raw, width);
            if (record.wordIndex < 0) {
                refused = true;
                return false;
            }
            // A record whose anchor leaves its file makes no hit.
            uint64_t anchor = 0;
            uint64_t sentence = 0;
            if (!IsOverFlow(corpus, record.position, record.fileNo, record.wordIndex) ||
                !BitOf(record.fileNo, int64_t{record.position} + record.wordIndex, anchor) ||
                !BitOf(record.fileNo, record.position, sentence))
                return true;
            if (owned(sentence, kSentences)) Set(sentence, kSentences);
            if (owned(anchor, kAnchors) && !Set(anchor, kAnchors)) {
                refused = true;
                return false;
            }
            return !refused.load(std::memory_order_relaxed);
        });
    });
    cut = timedOut;
    return !refused;
}

namespace {

// What names the records of a search within one loaded index: its unit and
// kind, and where its segments lie in their units' records.
struct SearchKey {
    uint64_t generation;
    std::string unit;
    UnitType type;
    std::vector<std::pair<uint64_t, int32_t>> segments;  // offset, count

    bool operator==(const SearchKey& other) const {
        return generation == other.generation && type == other.type && unit == other.unit &&
               segments == other.segments;
    }
};

SearchKey KeyOf(uint64_t generation, const CAtomRet& atom) {
    SearchKey key{generation, atom.m_Query.unit, atom.m_Query.type, {}};
    for (int s = 0; s < atom.m_nSegCount; ++s)
        key.segments.emplace_back(atom.m_SegOffset[static_cast<size_t>(s)], atom.m_SegCount[static_cast<size_t>(s)]);
    return key;
}

// Places made for a search of an index, or the search's refusal (null).
struct KeptPlaces {
    SearchKey key;
    std::shared_ptr<const TagPlaces> places;
    uint64_t lastUse;
};

std::mutex g_keptMutex;
std::vector<KeptPlaces> g_kept;  // under g_keptMutex
uint64_t g_useClock = 0;         // under g_keptMutex

// The kept entry of the search; null when there is none. Holds g_keptMutex.
KeptPlaces* FindKept(const SearchKey& key) {
    for (KeptPlaces& kept : g_kept)
        if (kept.key == key) return &kept;
    return nullptr;
}

// Keeps places (null: the search was refused) unless another thread kept
// some meanwhile, whose places it then gives; drops the entries of other
// indexes and the least recently used beyond the budget. Holds g_keptMutex.
std::shared_ptr<const TagPlaces> Keep(SearchKey key, std::shared_ptr<const TagPlaces> places) {
    g_kept.erase(std::remove_if(g_kept.begin(), g_kept.end(),
                                [&](const KeptPlaces& kept) { return kept.key.generation != key.generation; }),
                 g_kept.end());
    if (KeptPlaces* kept = FindKept(key)) return kept->places;
    g_kept.push_back({std::move(key), places, ++g_useClock});
    auto bytes = [] {
        size_t total = 0;
        for (const KeptPlaces& kept : g_kept) total += kept.places ? kept.places->Bytes() : 0;
        return total;
    };
    while (g_kept.size() > 1 && bytes() > kSharedTagPlacesBytes) {
        auto oldest = std::min_element(g_kept.begin(), g_kept.end(), [](const KeptPlaces& a, const KeptPlaces& b) {
            return a.lastUse < b.lastUse;
        });
        g_kept.erase(oldest);
    }
    return places;
}

}  // namespace

std::shared_ptr<const TagPlaces> TagPlacesOf(const CAtomRet& atom, const RecordCompareContext& corpus,
                                             uint64_t generation, bool& cut) {
    cut = false;
    // A search made by hand has no unit to name its records by.
    const bool shared = generation > 0 && !atom.m_Query.unit.empty();
    SearchKey key;
    if (shared) {
        key = KeyOf(generation, atom);
        std::lock_guard<std::mutex> lock(g_keptMutex);
        if (KeptPlaces* kept = FindKept(key)) {
            kept->lastUse = ++g_useClock;
            return kept->places;
        }
    }
    auto places = std::make_shared<TagPlaces>();
    const bool taken = places->Fill(atom, corpus, cut);
    if (cut || !shared) return taken ? places : nullptr;
    std::lock_guard<std::mutex> lock(g_keptMutex);
    return Keep(std::move(key), taken ? std::move(places) : nullptr);
}

void DropKeptTagPlaces() {
    std::lock_guard<std::mutex> lock(g_keptMutex);
    std::vector<KeptPlaces>().swap(g_kept);
}

}  // namespace qav
