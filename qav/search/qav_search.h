// One query run of the structured engine: its Lua state, the four result
// slots every intermediate result lives in, and the run's work areas, limits,
// conditions and output rows. A result crosses into Lua only as the handle of
// its slot.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/filter/condition.h"
#include "qav/search/rows/count_maps.h"
#include "qav/search/rows/final_rect.h"
#include "qav/search/merge/for_merge.h"
#include "qav/search/rows/freq_form.h"
#include "qav/search/rows/freq_key_hits.h"
#include "qav/search/rows/freq_map.h"
#include "qav/search/filter/limit_list.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/merge/qav_ret.h"
#include "qav/index/format/record_compare.h"
#include "qav/search/atom/ret_info.h"
#include "qav/search/filter/splited_ret.h"
#include "qav/search/rows/tag_sort.h"

struct lua_State;

namespace qav {

class CAtomSearchQuery;
struct ContextWalkResult;
struct ContextWalkSetup;

class CQAVSearch;

// Makes the Lua state a search object runs query programs in, with that
// object in the state's search slot; null when no state can be made.
using LuaStateMaker = lua_State* (*)(CQAVSearch* search);

class CQAVSearch {
public:
    // Without a maker the object runs no query programs and has no state.
    explicit CQAVSearch(LuaStateMaker makeLuaState = nullptr) : m_makeLuaState(makeLuaState) {}
    ~CQAVSearch() = default;
    CQAVSearch(const CQAVSearch&) = delete;
    CQAVSearch& operator=(const CQAVSearch&) = delete;

    // Sets the object up for a run: its Lua state (made once, by the maker
    // given at construction), rows, merge work area and the four slots, sized
    // by the engine's configuration. False when the maker makes no state or
    // memory for the slots is short.
    bool QAVSearchInit(bool flag);
    // Releases what set-up allocated, with the use counts the atom slots
    // still hold; then, when the engine holds more loaded offset records than
    // "MaxMemCount", frees the records of units not in use; closes the state.
    void QAVSearchExit();
    // Empties the condition text, the rows and the conditions.
    void Clear();

    // Limit ranges: a record's sentence must lie in one of them (see
    // CLimitList).
    void Add2Limit(const std::pair<int64_t, int64_t>& range) { m_Limits.Add2Limit(range); }
    void ClearLimit() { m_Limits.ClearLimit(); }
    int RetLimitNo(int64_t key, int lo, int hi) const { return m_Limits.RetLimitNo(key, lo, hi); }
    // Whether a record's sentence is admitted: it lies in a limit range, it
    // passes the document checks of the condition, and (unless skipBase) it
    // is in the base set, or outside it when the base excludes.
    bool IsInLimit(uint32_t file, uint32_t position, bool skipBase) const;
    // Whether a sentence passes the document filters by the filter mode.
    bool IsInFilter(uint32_t file, uint32_t position) const;
    // Copies the hits of the result named by handle that pass the filters
    // (records of an atom result also the limits) into the first free merged
    // slot, consuming the input; handle 0 filters the built-in atom search.
    // Returns that slot, or null when none is free or the handle names no
    // result.
    CQAVRet* GetFilterRet(uint64_t handle);
    // Filtering into out (cleared first, then in use): of an atom result's
    // records, which must pass the limits and the filters and make a hit; of
    // a merged result's hits, which pass the filters alone, having passed the
    // limits when they were made; and of the built-in atom search, whose slot
    // is freed again (out stays empty when no atom slot is free).
    void SetFilterRet(const CAtomRet& atom, CQAVRet& out) const;
    void SetFilterRet(const CQAVRet& merged, CQAVRet& out) const;
    void SetFilterRet(CQAVRet& out);

    // The JSON answer of the output rows, formatted, into out: at most
    // maxRows rows (-1: the page size of the previous answer, 0 in a new
    // object). Type "Context" with the context flag, else "Count" with the
    // count flag, else "Freq". False when memory is short.
    bool OutRetJSON(int maxRows, std::string& out);
    // Appends text and a line end to the file name of the save folder.
    // False when there is no engine, name is not a plain file name (see
    // IsPlainFileName) or the file cannot be written.
    bool SaveRetBuff(const std::string& text, const std::string& name);
    // Appends "<Total>:" with the row count and then the first n rows (-1:
    // all): context rows as their text, counted rows as text, tab and count,
    // or the count alone when they have no text. handle is not used.
    bool SaveRetBuff(uint64_t handle, const std::string& name, int n);
    // The rows as plain lines for a web response. The web output of the
    // structured engine is empty in this library, so the lines would reach
    // no one: nothing is formatted and the rows stay as they are. True.
    bool OutRetBuff(uint64_t handle, void* response, int count);
    // Orders the output rows by count, largest first.
    void SortRet() { m_FinalRect.SortRet(); }

    // Frequency list of an atom result (clears the approximate flag): the
    // complex builder when the condition text or the form is not empty or
    // the query's unit is no "c>" or "<c" unit, else the simple one. The
    // condition itself is the one set in m_Condition. Returns 1.
    int GetFreq(CAtomRet* result, const std::string& form, const std::string& condition);
    // One row: the query's pattern and the number of its hits that pass the
    // limits (or, without conditions, the acceptance test; from
    // kFreqQuickCountFrom hits on, the record count without a walk).
    void GetFreq_Simple(CAtomRet* result);
    // One row per key the form takes from the accepted hits (see
    // BuildFreqKey), with its documents (see FreqRowText); at most
    // kMaxFreqKeys keys. The time limit stops the walk, approximate.
    void GetFreq_Complex(CAtomRet* result, const std::string& form, const std::string& condition);
    // The same over the hits of a merged result, which is then freed.
    // Returns 0.
    int GetFreq(CQAVRet* result, const std::string& form, const std::string& condition);
    // Counts the hit whose parts were filled last under the key the form
    // takes from them, in the document of its sentence.
    void Add2FreqEx(CFreqMap& map, const CFreqForm& form, uint32_t position, uint8_t fileNo);

    // Count of an atom result (clears the approximate flag), with the same
    // choice of builder as GetFreq. Returns 1.
    int GetCount(CAtomRet* result, const std::string& form, const std::string& condition, int top);
    // One row per limit range (one row without ranges), no text, the number
    // of accepted hits in the range. Results of parallelFrom hits or more
    // are counted by the pass's workers with the same tests, unless the condition
    // has checks on the hit parts.
    static constexpr int64_t kParallelCountFrom = 10000;
    void GetCount_Simple(CAtomRet* result, int64_t parallelFrom = kParallelCountFrom);
    // One row per limit range: the top most frequent texts the form takes
    // from the accepted hits (see Add2RetBuff) and their sum. The time limit
    // stops the walk, approximate.
    void GetCount_Complex(CAtomRet* result, const std::string& form, const std::string& condition, int top);
    // Results of this many records whose condition has no checks are counted
    // by GetCount_Complex on workers (CountTextsInShares).
    static constexpr int64_t kSharedAtomCountFrom = 4096;
    // The walk of GetCount_Complex over all records on this thread: adds the
    // form's text of each accepted hit to the map of its range; true when
    // the time limit stopped it.
    bool CountTextsInWalk(const CAtomRet& result, const std::string& form, std::vector<CCountMap>& maps);
    // The same without checks, in shares of the records on worker threads
    // with parts of their own; the maps get their texts in the order of the
    // walk. stopped tells whether a worker reached the time limit; false
    // (maps unusable) when memory is short.
    bool CountTextsInShares(const CAtomRet& result, const std::string& form, std::vector<CCountMap>& maps,
                            bool& stopped) const;
    // The same over the hits of a merged result, with the whole sentence as
    // context for the forms "$B" and "$E", no context otherwise. Returns 0;
    // the slot is left as it is.
    int GetCount(CQAVRet* result, const std::string& form, const std::string& condition, int top);
    // Counts the text the form takes from the hit parts filled last.
    void Add2Freq(CCountMap& map, const std::string& form);
    // One row per limit range, count 0 and no text.
    void ClearRetBuf_Limit();

    // Logs "(ID=doc;Pos=position info;tags)" for the hits of the result
    // named by handle, in order, until count hits were counted (a hit whose
    // document has no tag text is not counted and gives no line); tags are
    // the document's value of tag, or all its "key=value;" items when tag is
    // empty. With a web response nothing is done, the structured engine's
    // web output being empty. True.
    bool GetOrgBuff(uint64_t handle, void* response, int count, const std::string& tag);

    // Context rows of the result named by handle in the order of the hits'
    // tag values: numeric or text as the full-text engine's configuration
    // lists the tag, no rows for a tag in neither list. dir kSortAscending
    // sorts ascending, any other value descending. The slot stays in use.
    // False (nothing changed) when handle names no slot.
    bool GetSortByBuff(uint64_t handle, const std::string& tag, int dir);
    // Context rows of the result group by group of equal tag values, groups
    // in no fixed order; the slot is released. False as GetSortByBuff.
    bool GetGroupByBuff(uint64_t handle, const std::string& tag);
    // Empties the rows and releases the slot. False as GetSortByBuff.
    bool GetCountByBuff(uint64_t handle, const std::string& tag);
    // Hits that pass the limits (atom results) and whose sentence the
    // sentence information knows, with their tag values, sorted. True.
    bool SortByTag(const CAtomRet& slot, const std::string& tag, int dir,
                   std::vector<AtomTagEntry<int32_t>>& entries) const;
    bool SortByTag(const CAtomRet& slot, const std::string& tag, int dir,
                   std::vector<AtomTagEntry<std::string>>& entries) const;
    bool SortByTag(const CQAVRet& slot, const std::string& tag, int dir,
                   std::vector<MergedTagEntry<int32_t>>& entries) const;
    bool SortByTag(const CQAVRet& slot, const std::string& tag, int dir,
                   std::vector<MergedTagEntry<std::string>>& entries) const;
    // The same hits grouped by tag value, in hit order within a group. True.
    bool GroupByTag(const CAtomRet& slot, const std::string& tag, AtomTagGroups& groups) const;
    bool GroupByTag(const CQAVRet& slot, const std::string& tag, MergedTagGroups& groups) const;

    // Context lines: fill the rows with one page of the result's hits, one
    // row per distinct sentence, and set the total and the approximate flag.
    // width is the context on each side in units (-1 the whole sentence);
    // pageSize -1 means kDefaultContextPageSize. The text argument is not
    // used. Return 0.
    int GetContext(CAtomRet* result, char* unused, int width, int page, int pageSize);
    int GetContext(CQAVRet* result, char* unused, int width, int page, int pageSize);
    // Fills m_SplitedRet with the parts of hit (see SplitHit); false, with the
    // parts empty, when the hit names no data file of the engine.
    bool GetSplitedRet(const CRetInfo& hit, int width);
    // GetSplitedRet into parts of the caller's; safe to call from several
    // threads at once.
    static bool SplitHitParts(const CRetInfo& hit, int width, CSplitedRet& parts);
    // Whether the hit names a data file of the engine (what GetSplitedRet
    // needs to split it).
    static bool IsInDataFiles(const CRetInfo& hit);
    // Appends the row of the hit whose parts were filled last: its source
    // prefix (with m_bOriOn), the body the print flags choose, cut to the
    // group of the match. A row beyond the capacity is dropped.
    void Add2Context(uint8_t fileNo, uint32_t position);
    // Splits a hit that IsOkForRow accepted (when it did not split it) and
    // appends its row under the sentence key.
    void AddAcceptedRow(const CRetInfo& hit, int width, uint64_t key);

    lua_State* LuaState() const { return m_lua.get(); }

    // Slots by handle; null for 0 and for a handle of no slot of that kind.
    CAtomRet* AtomSlot(uint64_t handle);
    CQAVRet* MergedSlot(uint64_t handle);
    // A1 when free, else A2 when free, marked in use; null when both are taken.
    CAtomRet* TakeAtomSlot();
    // Output slot of a join or merge of two results: A1 with A2 gives M1, an
    // atom slot with M1 gives M2, an atom slot with M2 gives M1 (either
    // order); any other pair gives null.
    CQAVRet* MergeTarget(uint64_t left, uint64_t right);
    // First free merged slot (the output of a filter); null when none.
    CQAVRet* FirstFreeMergedSlot();
    // Runs an atom search into the first free atom slot and returns it, in
    // use whatever the search found; null, with no search, when both atom
    // slots are taken.
    CAtomRet* AtomSearch(const CAtomSearchQuery& query);
    // The same for the built-in query: unit "的_n|", pattern "的", no waves;
    // null unless a structured engine is loaded.
    CAtomRet* GetAS();
    // Marks a consumed input free; an atom slot lowers the use counts it
    // holds. A handle of no slot, or of a free slot, changes nothing.
    void FreeSlot(uint64_t handle);

    // Joins the results of two handles under relation `code` (see
    // join_relation.h) into the merged slot of the slot rules; null for a
    // pair the rules do not take. Both inputs are consumed.
    CQAVRet* MergeSearch(uint64_t left, uint64_t right, int code);
    // AND, OR or NOT (kMergeAnd, kMergeOr, kMergeNot) of the results of two
    // handles, by sentence or, with docLevel, by document, as MergeSearch.
    CQAVRet* MergeRet(uint64_t first, uint64_t second, int type, bool docLevel);
    // Makes the hit of one record of an atom result and tests it: bounds,
    // IsInLimit(skipBase), the hit span rule, then IsOk with this width.
    bool IsOKContext(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit, int width,
                     bool skipBase);
    // The first half of IsOKContext: the hit of the record, within bounds
    // and limits and by the span rule.
    bool IsRecordHit(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit, bool skipBase);
    // The word at the hit's sentence position is a word, and the hit's parts
    // (split with this width) pass the conditions.
    bool IsOk(const CRetInfo& hit, int width);
    // IsOk for a context line. Splitting a hit costs more than the rest of
    // its test, so without checks that read the parts the hit is not split
    // here: the caller splits the hits that become rows (GetSplitedRet).
    bool IsOkForRow(const CRetInfo& hit, int width);

    CForMerge m_ForMerge;
    RecordCompareContext m_Corpus;  // the engine's corpus and word list, taken at set-up
    CAtomRet m_AtomRet[2];  // A1, A2
    CQAVRet m_QAVRet[2];    // M1, M2
    CAtomSearchQuery m_Query;  // work query, filled by each atom search
    // Limit ranges of sentence keys, (from, to), in the order added.
    CLimitList m_Limits;
    CFinalRect m_FinalRect;
    CConditionEx m_Condition;
    CSplitedRet m_SplitedRet;
    std::string m_ConditionText;

    uint8_t m_bOriOn = 0;        // rows carry their source
    uint8_t m_bCountOut = 0;
    uint8_t m_nOutType = 0;      // the context flag: context rows, else frequency or count rows
    // The output rows miss hits: the time limit or a capacity stopped them or
    // a result they were made from, or a join or merge stopped at the time
    // limit.
    uint8_t m_bApproximate = 0;

    std::unordered_set<uint64_t> m_SentKeys;  // sentences already output
    int m_nPageSize = 0;
    int m_nPageNo = 0;
    int m_nOutPageSize = 0;  // rows of the last JSON answer
    bool m_bInitFlag = false;  // as given to QAVSearchInit

private:
    // Marks out approximate when an input already missed hits, the time
    // limit cut it, or "RetInfoMaxSize" left hits out (logged with step).
    void MarkCutResult(CQAVRet& out, bool inputCut, bool timeCut, const char* step);
    // Marks the output approximate when the result it was made from missed
    // hits, or "RetBuffSize" left rows out (logged with what).
    void MarkOutputCut(bool resultCut, const char* what);

    // Limit ranges, filters, checks or a base: anything that can reject a hit.
    bool HasContextConditions() const;
    // Rows, total, duplicate keys and the approximate flag made empty.
    void ResetContextOutput();
    ContextWalkSetup ContextSetup(int page, int pageSize) const;
    void SetContextTotal(const ContextWalkResult& walk);

    // Whether frequencies and counts of result need the hit parts.
    static bool NeedsComplexBuilder(const CAtomRet& result, const std::string& form, const std::string& condition);
    // Width of the hit parts a frequency key is built from: 0 (the match and
    // groups alone) without checks, the whole sentence with them.
    int FreqSplitWidth() const;
    // The frequency rows of a merged result's hits without checks, counted in
    // shares on worker threads; false (rows unusable) when memory is short.
    bool CountFreqKeysInShares(const CQAVRet& result, const CFreqForm& form, int width,
                               std::vector<FreqKeyRow>& rows) const;
    // The same for an atom result's records; stopped tells whether a worker
    // reached the time limit (the rows then count the hits met before).
    bool CountFreqKeysInShares(const CAtomRet& result, const CFreqForm& form, int width,
                               std::vector<FreqKeyRow>& rows, bool& stopped) const;
    // Replaces the rows by one row per map entry, in the map's order.
    void AddFreqRows(const CFreqMap& map);
    // Replaces the rows by the given ones, taking their texts.
    void AddFreqRows(std::vector<FreqKeyRow>& rows);
    // Row of the limit range holding the sentence; -1 when no range holds
    // it or the range has no row.
    int CountRangeOf(uint8_t fileNo, uint32_t position) const;
    // The acceptance test without the hit parts: bounds, limits, span and
    // the word at the sentence position. Reads shared state only.
    bool IsCountedRecord(const CAtomRet& result, const OffsetRecordInfo& record, CRetInfo& hit) const;
    // Calls visit for each hit of slot that SortByTag keeps, with its value.
    template <typename Visit>
    void ForEachTaggedHit(const CAtomRet& slot, const std::string& tag, Visit&& visit) const;
    template <typename Visit>
    void ForEachTaggedHit(const CQAVRet& slot, const std::string& tag, Visit&& visit) const;
    // The context row of one hit, when it passes the acceptance test with
    // no context (atom hits: limits and span first).
    void AddTagRow(const CAtomRet& slot, int segment, int32_t record);
    void AddTagRow(const CQAVRet& slot, int index);
    // Frees the slot of handle with its hits dropped.
    void ReleaseTagSlot(uint64_t handle);
    // Adds the counted records of result per range into counts, spread over
    // four threads by shares of its records; true when the time limit cut it
    // short.
    bool CountInParallel(const CAtomRet& result, std::vector<int64_t>& counts) const;

    struct LuaCloser {
        void operator()(lua_State* L) const;
    };
    LuaStateMaker m_makeLuaState;
    std::unique_ptr<lua_State, LuaCloser> m_lua;
};

}  // namespace qav
