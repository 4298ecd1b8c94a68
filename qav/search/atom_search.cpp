#include "qav/search/atom_search.h"

#include <pthread.h>

#include <algorithm>
#include <vector>

#include "qav/index/qav_engine.h"
#include "qav/index/zq_thread.h"
#include "qav/search/atom_query.h"
#include "qav/search/atom_ret.h"
#include "qav/search/engine_views.h"
#include "qav/search/record_search.h"
#include "qav/search/unit_records.h"

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

// Appends the segment of records [low, high] of a unit of this kind.
void AddRange(CAtomRet& result, const unsigned char* records, UnitType kind, uint32_t low, uint32_t high) {
    const int width = SearchRecordWidth(kind);
    result.AddSegment(records, static_cast<uint64_t>(low) * width, static_cast<int32_t>(high - low + 1),
                      static_cast<uint8_t>(width));
}

// Up to `threads` children searched at once. With one thread per batch the
// search runs in the caller's thread; a worker that cannot be started does
// too, so every child of a batch is searched.
class SearchBatch {
public:
    explicit SearchBatch(size_t threads) : threads_(threads) {
        // Workers hold addresses into work_, which therefore never grows past this.
        work_.reserve(threads);
        handles_.reserve(threads);
    }
    ~SearchBatch() { Join(); }
    SearchBatch(const SearchBatch&) = delete;
    SearchBatch& operator=(const SearchBatch&) = delete;

    bool full() const { return work_.size() == threads_; }
    bool empty() const { return work_.empty(); }

    void Start(const CAtomSearchTreadUnit& unit) {
        work_.push_back(unit);
        void* work = &work_.back();
        const pthread_t handle = threads_ > 1 ? thread_create_ex(ATomSearchThread, work) : 0;
        if (handle)
            handles_.push_back(handle);
        else
            ATomSearchThread(work);
    }

    void Join() {
        for (pthread_t handle : handles_) thread_join_ex(handle, nullptr);
        handles_.clear();
    }

    // Joins the batch, appends a segment for each child with a range, in
    // child order, and empties the batch; the children that got a segment are
    // added to withSegments.
    void Collect(CAtomRet& result, std::vector<CHashNode*>& withSegments) {
        Join();
        for (const CAtomSearchTreadUnit& unit : work_) {
            if (!unit.found) continue;
            AddRange(result, unit.records, unit.kind, unit.low, unit.high);
            withSegments.push_back(unit.node);
        }
        work_.clear();
    }

    // Joins the batch and drops its results.
    void Abandon() {
        Join();
        work_.clear();
    }

private:
    size_t threads_;
    std::vector<CAtomSearchTreadUnit> work_;
    std::vector<pthread_t> handles_;
};

bool SearchLeafUnit(CQAVEngine& engine, const RecordCompareContext& context, const CAtomSearchQuery& query,
                    CHashNode& unit, CAtomRet& result) {
    UnitRecordsPin pin;
    if (!pin.Acquire(engine, unit)) return false;
    int64_t low = 0;
    int64_t high = 0;
    if (!GetLowHigh(context, pin.records(), unit.count, query, unit.type, low, high)) return false;
    AddRange(result, pin.records(), unit.type, static_cast<uint32_t>(low), static_cast<uint32_t>(high));
    result.RaiseUse(&unit);
    return true;
}

bool SearchComplexUnit(CQAVEngine& engine, const RecordCompareContext& context, const CAtomSearchQuery& query,
                       CHashNode& unit, CAtomRet& result) {
    const CSizeInfo& sizes = engine.m_config.m_SizeInfo;
    const size_t childLimit = std::min<size_t>(unit.children.size(), std::max(0, sizes.MaxAtomSearchRetSize));
    const int64_t recordLimit = sizes.MaxUnitCount_ToSearch;

    // Each searched child stays pinned until the result holds its own use.
    std::vector<UnitRecordsPin> pins;
    std::vector<CHashNode*> withSegments;
    SearchBatch batch(static_cast<size_t>(std::max(1, sizes.ThreadNum_AS)));
    int64_t recordsStarted = 0;
    bool loaded = true;
    for (size_t i = 0; i < childLimit && recordsStarted < recordLimit; ++i) {
        CHashNode* child = unit.children[i];
        if (!child) continue;  // named by the index but not in it
        UnitRecordsPin pin;
        if (!pin.Acquire(engine, *child)) {
            loaded = false;
            break;
        }
        CAtomSearchTreadUnit work;
        work.SetAtomSearchTreadUnit(child, pin.records(), child->count, &query, child->type, 0, 0);
        work.context = &context;
        pins.push_back(std::move(pin));
        batch.Start(work);
        recordsStarted += child->count;
        if (batch.full()) batch.Collect(result, withSegments);
    }
    if (!loaded) {
        batch.Abandon();
        // The segments kept from earlier batches still point into their
        // children's records.
        for (CHashNode* child : withSegments) result.RaiseUse(child);
        return false;
    }
    batch.Collect(result, withSegments);
    result.RaiseUse(&unit);
    for (const UnitRecordsPin& pin : pins) result.RaiseUse(pin.node());
    return true;
}

}  // namespace

bool CQAVEngine::AtomSearch(const CAtomSearchQuery& query, CAtomRet& atomResult) {
    atomResult.SetAtomSearchQuery(query);
    atomResult.Take();
    CHashNode* unit = FindSearchUnit(m_unitTable, query.unit);
    if (!unit) return false;
    const RecordCompareContext context = MakeRecordCompareContext(*this);
    if (unit->children.empty()) return SearchLeafUnit(*this, context, query, *unit, atomResult);
    return SearchComplexUnit(*this, context, query, *unit, atomResult);
}
