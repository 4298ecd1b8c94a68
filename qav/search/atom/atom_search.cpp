#include "qav/search/atom/atom_search.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "qav/index/engine/qav_engine.h"
#include "common/platform/zq_thread.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/atom/engine_views.h"
#include "qav/search/atom/record_search.h"
#include "qav/index/engine/unit_records.h"
#include "qav/index/engine/qav_engine.h"
#include "common/platform/zq_thread.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/atom/capacity_cut.h"
#include "qav/search/atom/engine_views.h"
#include "qav/search/atom/record_search.h"
#include "qav/index/engine/unit_records.h"

namespace qav {

void CAtomSearchTreadUnit::SetAtomSearchTreadUnit(CHashNode* unit, const unsigned char* unitRecords,
                                                  uint32_t unitCount, const CAtomSearchQuery* atomQuery,
                                                  UnitType unitKind, uint32_t lowIndex, uint32_t highIndex) {
    node = unit;
    records = unitRecords;
    count = unitCount;
    query = atomQuery;
    kind = unitKind;
    low = lowIndex;
    high = highIndex;
    found = 0;
}

void* ATomSearchThread(void* work) {
    CAtomSearchTreadUnit& unit = *static_cast<CAtomSearchTreadUnit*>(work);
    int64_t low = 0;
    int64_t high = 0;
    if (GetLowHigh(*unit.context, unit.records, unit.count, *unit.query, unit.kind, low, high)) {
        unit.low = static_cast<uint32_t>(low);
        unit.high = static_cast<uint32_t>(high);
        unit.found = 1;
    }
    return nullptr;
}

namespace {

// Appends the segment of records [low, high] of a unit of this kind; false
// when the result has no room left for it.
bool AddRange(CAtomRet& result, const unsigned char* records, UnitType kind, uint32_t low, uint32_t high) {
    const int width = SearchRecordWidth(kind);
    return result.AddSegment(records, static_cast<uint64_t>(low) * width, static_cast<int32_t>(high - low + 1),
                             static_cast<uint8_t>(width));
}

// Range searches of the loaded children, shared by the caller and up to
// threads - 1 workers that each take the next child not yet taken. Every work
// record is written by exactly one of them; the results are read only after
// all workers are joined.
class ChildSearches {
public:
    // A child's search is a few dozen record comparisons, some
    // microseconds; a worker is started only for this many children, which
    // take longer than starting it.
    static constexpr size_t kChildrenPerWorker = 16;

    explicit ChildSearches(std::vector<CAtomSearchTreadUnit>& work) : work_(work) {}

    void Run(size_t threads) {
        std::vector<pthread_t> workers;
        const size_t wanted = (work_.size() + kChildrenPerWorker - 1) / kChildrenPerWorker;
        const size_t extra = std::min(threads, wanted) - (work_.empty() ? 0 : 1);
        for (size_t i = 0; i < extra; ++i) {
            // A worker that cannot be started leaves its share to the others.
            if (const pthread_t handle = thread_create_ex(Worker, this)) workers.push_back(handle);
        }
        Drain();
        for (pthread_t handle : workers) thread_join_ex(handle, nullptr);
    }

private:
    static void* Worker(void* self) {
        static_cast<ChildSearches*>(self)->Drain();
        return nullptr;
    }

    void Drain() {
        for (size_t i = next_++; i < work_.size(); i = next_++) ATomSearchThread(&work_[i]);
    }

    std::vector<CAtomSearchTreadUnit>& work_;
    std::atomic<size_t> next_{0};
};

bool SearchLeafUnit(CQAVEngine& engine, const RecordCompareContext& context, const CAtomSearchQuery& query,
                    CHashNode& unit, CAtomRet& result) {
    UnitRecordsPin pin;
    if (!pin.Acquire(engine, unit)) return false;
    int64_t low = 0;
    int64_t high = 0;
    if (!GetLowHigh(context, pin.records(), unit.count, query, unit.type, low, high)) return false;
    if (!AddRange(result, pin.records(), unit.type, static_cast<uint32_t>(low), static_cast<uint32_t>(high)))
        LogAtomSearchCut("MaxAtomSearchRetSize", result.m_nCapacity, query.unit.c_str(), 0, 1, 0);
    result.RaiseUse(&unit);
    return true;
}

bool SearchComplexUnit(CQAVEngine& engine, const RecordCompareContext& context, const CAtomSearchQuery& query,
                       CHashNode& unit, CAtomRet& result) {
    const CSizeInfo& sizes = engine.m_config.m_SizeInfo;
    const size_t threads = static_cast<size_t>(std::max(1, sizes.ThreadNum_AS));
    const size_t childLimit = std::min<size_t>(unit.children.size(), std::max(0, sizes.MaxAtomSearchRetSize));
    const int64_t recordLimit = sizes.MaxUnitCount_ToSearch;

    // Each searched child stays pinned until the result holds its own use.
    std::vector<UnitRecordsPin> pins;
    std::vector<CAtomSearchTreadUnit> work;
    int64_t recordsTaken = 0;
    bool loaded = true;
    size_t next = 0;  // first child not taken
    for (; next < childLimit && recordsTaken < recordLimit; ++next) {
        CHashNode* child = unit.children[next];
        if (!child) continue;  // named by the index but not in it
        UnitRecordsPin pin;
        if (!pin.Acquire(engine, *child)) {
            loaded = false;
            break;
        }
        work.emplace_back();
        work.back().SetAtomSearchTreadUnit(child, pin.records(), child->count, &query, child->type, 0, 0);
        work.back().context = &context;
        pins.push_back(std::move(pin));
        recordsTaken += child->count;
    }
    // Children are taken in batches of ThreadNum_AS: a failed load ends the
    // search with the segments of the batches before its own.
    if (!loaded) work.resize(work.size() / threads * threads);

    // A search without text takes every child's records whole: nothing is
    // compared, and workers would only cost their start.
    ChildSearches(work).Run(query.pattern.empty() ? 1 : threads);
    for (const CAtomSearchTreadUnit& child : work) {
        if (!child.found) continue;
        AddRange(result, child.records, child.kind, child.low, child.high);
        // A failed search holds only the children its segments point into.
        if (!loaded) result.RaiseUse(child.node);
    }
    if (!loaded) return false;
    result.RaiseUse(&unit);
    for (const UnitRecordsPin& pin : pins) result.RaiseUse(pin.node());
    // Children past a limit hold hits the result does not count.
    if (std::any_of(unit.children.begin() + static_cast<std::ptrdiff_t>(next), unit.children.end(),
                    [](const CHashNode* child) { return child != nullptr; })) {
        result.m_bApproximate = 1;
        const bool byCount = next >= childLimit;
        LogAtomSearchCut(byCount ? "MaxAtomSearchRetSize" : "MaxUnitCount_ToSearch",
                         byCount ? sizes.MaxAtomSearchRetSize : recordLimit, query.unit.c_str(),
                         static_cast<int64_t>(next), static_cast<int64_t>(unit.children.size()), result.TotalHits());
    }
    return true;
}

}  // namespace

bool AtomSearch(CQAVEngine& engine, const CAtomSearchQuery& query, CAtomRet& atomResult) {
    atomResult.SetAtomSearchQuery(query);
    atomResult.Take();
    CHashNode* unit = FindSearchUnit(engine.m_unitTable, query.unit);
    if (!unit) return false;
    const RecordCompareContext context = MakeRecordCompareContext(engine);
    if (unit->children.empty()) return SearchLeafUnit(engine, context, query, *unit, atomResult);
    return SearchComplexUnit(engine, context, query, *unit, atomResult);
}

}  // namespace qav
