#include "qav/search/merge/sentence_records.h"

#include <atomic>

#include "qav/index/format/offset_record_fields.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/filter/query_time.h"
#include "qav/search/merge/kept_searches.h"
#include "qav/search/merge/parallel_shares.h"

namespace qav {

bool SentenceRecords::Fill(const CAtomRet& atom, const RecordCompareContext& corpus, bool& cut) {
    cut = false;
    const int64_t records = CountSegmentRecords(atom);
    if (records > int64_t{UINT32_MAX}) return false;
    const uint64_t places = m_places.Reset(corpus);
    const size_t blocks = static_cast<size_t>(places >> kBlockShift) + 1;

    // A counting sort by block: each share counts the records of its own
    // range per block, then files them behind those of the shares before it,
    // so that a block's numbers ascend.
    const int shares = records >= kSharedPassFrom ? PassShares() : 1;
    auto rangeStart = [&](int share) { return records * share / shares; };
    std::vector<std::vector<uint32_t>> next(static_cast<size_t>(shares), std::vector<uint32_t>(blocks, 0));
    std::atomic<bool> timedOut{false};
    // Calls file(share's slot of the block, number) for every record of the
    // share within the files, until the query time runs out.
    auto walk = [&](int share, auto&& file) {
        QueryTimeCheck clock;
        uint32_t number = static_cast<uint32_t>(rangeStart(share));
        std::vector<uint32_t>& slots = next[static_cast<size_t>(share)];
        VisitRawRecordsInRange(atom, rangeStart(share), rangeStart(share + 1),
                               [&](const unsigned char* record, uint8_t) {
                                   if (clock.Step()) {
                                       timedOut = true;
                                       return false;
                                   }
                                   uint64_t place = 0;
                                   if (m_places.NumberOf(GetFileNo(record), GetOffset(record), place))
                                       file(slots[static_cast<size_t>(place >> kBlockShift)], place, number);
                                   ++number;
                                   return true;
                               });
    };
    RunShares(shares, [&](int share) { walk(share, [](uint32_t& slot, uint64_t, uint32_t) { ++slot; }); });
    if (timedOut) {
        cut = true;
        return false;
    }

    PlaceCountsByShare(next, blocks, m_start);
    m_numbers.resize(m_start[blocks]);
    m_placeInBlock.resize(m_start[blocks]);
    RunShares(shares, [&](int share) {
        walk(share, [&](uint32_t& slot, uint64_t place, uint32_t number) {
            m_numbers[slot] = number;
            m_placeInBlock[slot] = static_cast<uint8_t>(place & kInBlockMask);
            ++slot;
        });
    });
    cut = timedOut;
    return !cut;
}

namespace {

KeptSearches<SentenceRecords> g_keptFilings(kSharedSentenceRecordsBytes);

}  // namespace

std::shared_ptr<const SentenceRecords> SentenceRecordsOf(const CAtomRet& atom, const RecordCompareContext& corpus,
                                                         uint64_t generation, bool& cut) {
    const std::shared_ptr<const SentenceRecords> filing =
        g_keptFilings.Of(atom, generation, cut,
                         [&](SentenceRecords& records, bool& fillCut) { return records.Fill(atom, corpus, fillCut); });
    return cut ? nullptr : filing;
}

void DropKeptSentenceRecords() { g_keptFilings.Drop(); }

}  // namespace qav
