// One full-text query run: three result slots that a query program names by
// handle, the merges between them, the term fetch and the base filter. It
// reads the process's full-text engine g_pBMEngine.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/fulltext/search/bm_condition.h"
#include "qav/fulltext/search/bm_query.h"
#include "qav/fulltext/search/bm_ret.h"
#include "qav/fulltext/search/fst_search.h"

struct cJSON;

namespace qav {

class CBMSearch {
public:
    CBMSearch() = default;
    CBMSearch(const CBMSearch&) = delete;
    CBMSearch& operator=(const CBMSearch&) = delete;

    // Sizes the slots ("RetBuffSize" records) and the merge work area from
    // the engine's configuration. False without an engine.
    bool BMSearchInit();
    void BMSearchExit();

    // The slot a handle names (slot 3, then 2, then 1), or null.
    CBMRet* SlotOf(int64_t handle);
    CBMRet& Slot(int number) { return m_Ret[static_cast<size_t>(number - 1)]; }

    // Merges into out; with second null each copies first through the base
    // filter. The result is built before out is written, so out may be one
    // of the operands: it then holds the result alone.
    bool MergeBM(const CBMRet& first, const CBMRet* second, CBMRet& out);     // AND
    bool MergeBM_OR(const CBMRet& first, const CBMRet* second, CBMRet& out);  // OR
    bool MergeBM_NOT(const CBMRet& first, const CBMRet* second, CBMRet& out); // NOT

    // Handle merges: choose the output slot, merge, free both operands and
    // mark the output in use. Null when the handles name no two slots (OR
    // then gives the one slot named, NOT a's slot).
    CBMRet* GetBMDoc_AND(int64_t a, int64_t b);
    CBMRet* GetBMDoc_OR(int64_t a, int64_t b);
    CBMRet* GetBMDoc_NOT(int64_t a, int64_t b);
    // The documents of a term, ANDed with the slot of handle (0: none).
    CBMRet* GetBMDoc(const std::string& term, int64_t handle);

    bool IsSetBaseOk(const bm::Posting& record) const { return m_Condition.IsSetBaseOk(record); }
    // include = true keeps only the documents of the handle's slot.
    void SetBase(int64_t handle, bool include) { m_Condition.SetBase(handle ? SlotOf(handle) : nullptr, include); }

    // Ranked search of a query text: the best n documents (n = -1: all)
    // by BM25 into the first free slot; null when no term is known or no
    // slot is free. mode -1 collects documents holding every term, 0 the
    // documents of any term, m > 0 those of the rarest m percent of terms.
    CBMRet* BM25(const std::string& text, int32_t n, int32_t mode);
    // The same ranking, scoring every query term whatever the mode.
    CBMRet* KeyWordSearch(const std::string& text, int32_t n, int32_t mode);

    // Documents collected by both texts (each by its own mode), ranked by
    // the terms of both; a term in both texts counts twice.
    CBMRet* BM25(const std::string& text1, int32_t mode1, const std::string& text2, int32_t mode2, int32_t n);
    // The query's terms scored by idf and query frequency alone, best first:
    // the first n (n = -1: all). False when no term of text is known.
    bool KeyWord(const std::string& text, int32_t n, std::vector<std::string>* words, std::vector<float>* scores);

    // Steps of a ranked search, in the order they run.
    bool CountAndLookUp(const std::string& text);
    void GetCandidateDoc(int32_t mode);
    // Scores with the terms that mode selects (all for 0 and -1).
    void CalCandidateDoc(int32_t mode);
    // The same on up to "ThreadNum_Count" threads, each over a contiguous
    // block of candidates.
    void CalCandidateDocEx(int32_t mode);
    void MergeCandidateDoc();
    bool SetBMRet(CBMRet** out, int32_t n);

    CBMQuery m_Query;
    CBMCandidatesDoc m_BMDoc;
    bool m_bOverflow = false;  // the last Simple or TopN collection filled the list
    // Document keys of every name beginning with one of names (separated by
    // blanks, ";" or ","), added to the transducer searcher's values.
    bool GetFSTCandidateDoc(const std::string& names);

    // Document conditions: whether the document at docOffset of shard
    // passes the base filter and the condition's check map; filtering the
    // slot a handle names into the first free slot, the source then freed.
    // Null when no slot is free or the handle names none (with h = 0 and no
    // slot: the free slot, untouched).
    bool IsConditionOk(uint8_t shard, uint32_t unused, uint32_t docOffset);
    CBMRet* GetBMConditionRet(int64_t handle);
    // The decoded information of the document with key shard << 32 | offset.
    bool DecodeDocument(int64_t key, bm::CDocInfo* doc);

    // Outputs. Field selections are names separated by blanks, "," and ";";
    // an empty one selects every "DocInfo" key and every "Field". Texts are
    // escaped as JSON strings. The page, sort and count answers are appended
    // to m_WebOut, which the query runner delivers after the program ends.
    // The document as JSON-like text {"key":"value",...}; its length.
    size_t GetDocInfoBuff(int64_t key, const std::string& fields, std::string* out);
    // The document's members added to object; false without an object.
    bool GetDocInfoBuffJSON(int64_t key, const std::string& fields, cJSON* object);
    // "key=value;" for every information value of record n of slot.
    bool GetDocInfo(const CBMRet& slot, int32_t n, std::string* out);
    // Appends "<Total>:count" and the first n records' information (n = -1:
    // 10,240,000) to "SavePath"/name, or the text and a line feed. A name
    // with "/", "\\" or ".." is refused.
    bool SaveRetBuff(int64_t handle, const std::string& name, int32_t n);
    bool SaveRetBuff(const std::string& text, const std::string& name);
    // {"type":"Org",...} and {"type":"ID",...} pages of the slot.
    bool GetOrgBuffJSON(int64_t handle, int32_t pageSize, int32_t pageNo, const std::string& fields);
    bool GetIDBuffJSON(int64_t handle, int32_t pageSize, int32_t pageNo);
    // Documents of the slot's first 10,240 records with tag: (key, value),
    // ascending by the value's bytes for sortType 1, else descending.
    using TagPairs = std::vector<std::pair<int64_t, std::string>>;
    void SortByTag(const CBMRet& slot, const std::string& tag, int32_t sortType, TagPairs* pairs);
    // "<Total>:count" and the sorted documents' texts (order -1: ascending).
    bool GetRetSortBy(int64_t handle, const std::string& tag, const std::string& fields, int32_t order);
    using TagGroups = std::map<std::string, std::set<int64_t>>;
    void GroupByTag(const CBMRet& slot, const std::string& tag, TagGroups* groups);
    void CountByTag(const CBMRet& slot, const std::string& tag1, const std::string& tag2, TagGroups* pairs,
                    std::set<std::string>* values1, std::set<std::string>* values2);
    // Counts of documents by one or two tags as JSON; frees the slot.
    bool GetRetCountBy(int64_t handle, const std::string& tags);

    std::string m_WebOut;

    CForMergeBM m_ForMerge;
    CConditionBM m_Condition;
    std::array<CBMRet, 3> m_Ret;
    std::unique_ptr<FSTSearch> m_pFSTSearch;

private:
    enum class Rule { kAnd, kOr, kNot };
    bool Merge(Rule rule, const CBMRet& first, const CBMRet* second, CBMRet& out);
    CBMRet* MergeHandles(Rule rule, int64_t a, int64_t b);
    CBMRet* Rank(const std::string& text, int32_t n, int32_t mode, int32_t scoringMode);
    // Candidates of the given query items (indexes), each posting in an
    // allowed field unless allFields; false once the list is full.
    bool CollectItem(const CBMQuery::Item& item, bool allFields);
    void CollectAnd();
    void ScoreBlock(int32_t mode, size_t begin, size_t end);
    // How many of the rarest items a percentage selects.
    size_t SelectedItems(int32_t mode) const;
    // Appends the records that pass the base filter, up to out's capacity.
    void AppendPassing(const std::vector<bm::Posting>& records, CBMRet& out) const;
};

}  // namespace qav
