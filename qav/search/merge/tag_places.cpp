#include "qav/search/merge/tag_places.h"

#include <atomic>

#include "qav/search/atom/record_walk.h"
#include "qav/search/filter/query_time.h"
#include "qav/search/merge/kept_searches.h"
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
    const int shares = records >= kSharedPassFrom ? PassShares() : 1;
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

KeptSearches<TagPlaces> g_keptPlaces(kSharedTagPlacesBytes);

}  // namespace

std::shared_ptr<const TagPlaces> TagPlacesOf(const CAtomRet& atom, const RecordCompareContext& corpus,
                                             uint64_t generation, bool& cut) {
    return g_keptPlaces.Of(atom, generation, cut,
                           [&](TagPlaces& places, bool& fillCut) { return places.Fill(atom, corpus, fillCut); });
}

void DropKeptTagPlaces() { g_keptPlaces.Drop(); }

}  // namespace qav
