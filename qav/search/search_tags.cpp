// Context rows rebuilt in the order of a document tag, or group by group.
#include "qav/search/qav_search.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/filter/sentence_document.h"
#include "qav/search/rows/tag_sort.h"

namespace qav {

namespace {

enum class TagKind { kNone, kNumber, kString };

// How the full-text engine's configuration says a tag sorts; kNone without
// a full-text engine.
TagKind KindOfTag(const std::string& tag) {
    if (!g_pBMEngine) return TagKind::kNone;
    if (g_pBMEngine->m_Config.m_DocInfoTypeNumber.count(tag)) return TagKind::kNumber;
    if (g_pBMEngine->m_Config.m_DocInfoTypeString.count(tag)) return TagKind::kString;
    return TagKind::kNone;
}

}  // namespace

void CQAVSearch::AddTagRow(const CAtomRet& slot, int segment, int32_t record) {
    const SegmentRecords records = RecordsOfSegment(slot, segment);
    if (record >= records.count) return;
    CRetInfo hit;
    const OffsetRecordInfo info = ReadOffsetRecord(records.first + int64_t{record} * records.width, records.width);
    if (IsOKContext(slot, info, hit, 0, false)) Add2Context(hit.file_no, hit.position);
}

void CQAVSearch::AddTagRow(const CQAVRet& slot, int index) {
    const CRetInfo& hit = slot.m_Hits[static_cast<size_t>(index)];
    if (IsOk(hit, 0)) Add2Context(hit.file_no, hit.position);
}

void CQAVSearch::ReleaseTagSlot(uint64_t handle) {
    if (CAtomRet* atom = AtomSlot(handle)) {
        FreeSlot(handle);
        atom->Clear();
    } else if (CQAVRet* merged = MergedSlot(handle)) {
        merged->m_nCount = 0;
        FreeSlot(handle);
    }
}

bool CQAVSearch::GetSortByBuff(uint64_t handle, const std::string& tag, int dir) {
    const CAtomRet* atom = AtomSlot(handle);
    const CQAVRet* merged = MergedSlot(handle);
    if (!atom && !merged) return false;
    m_FinalRect.Clear();
    const TagKind kind = KindOfTag(tag);
    if (kind == TagKind::kNone) return true;
    if (atom && kind == TagKind::kNumber) {
        std::vector<AtomTagEntry<int32_t>> entries;
        SortByTag(*atom, tag, dir, entries);
        for (const auto& e : entries) AddTagRow(*atom, e.segment, e.record);
    } else if (atom) {
        std::vector<AtomTagEntry<std::string>> entries;
        SortByTag(*atom, tag, dir, entries);
        for (const auto& e : entries) AddTagRow(*atom, e.segment, e.record);
    } else if (kind == TagKind::kNumber) {
        std::vector<MergedTagEntry<int32_t>> entries;
        SortByTag(*merged, tag, dir, entries);
        for (const auto& e : entries) AddTagRow(*merged, e.hit);
    } else {
        std::vector<MergedTagEntry<std::string>> entries;
        SortByTag(*merged, tag, dir, entries);
        for (const auto& e : entries) AddTagRow(*merged, e.hit);
    }
    return true;
}

bool CQAVSearch::GetGroupByBuff(uint64_t handle, const std::string& tag) {
    const CAtomRet* atom = AtomSlot(handle);
    const CQAVRet* merged = MergedSlot(handle);
    if (!atom && !merged) return false;
    m_FinalRect.Clear();
    if (atom) {
        AtomTagGroups groups;
        GroupByTag(*atom, tag, groups);
        for (const auto& [value, hits] : groups)
            for (const auto& [segment, record] : hits) AddTagRow(*atom, segment, record);
    } else {
        MergedTagGroups groups;
        GroupByTag(*merged, tag, groups);
        for (const auto& [value, hits] : groups)
            for (int index : hits) AddTagRow(*merged, index);
    }
    ReleaseTagSlot(handle);
    return true;
}

bool CQAVSearch::GetCountByBuff(uint64_t handle, const std::string& /*tag*/) {
    if (!AtomSlot(handle) && !MergedSlot(handle)) return false;
    m_FinalRect.Clear();
    ReleaseTagSlot(handle);
    return true;
}

namespace {

const CHashTableInfo* SentInfo() { return g_pCQAVEngine ? &g_pCQAVEngine->m_sentInfo : nullptr; }

template <typename Entry, typename Compare>
void SortEntries(std::vector<Entry>& entries, int dir, Compare ascend, Compare descend) {
    std::sort(entries.begin(), entries.end(), dir == kSortAscending ? ascend : descend);
}

}  // namespace

bool GetTagValue(const CHashTableInfo& info, uint64_t key, const std::string& tag, std::string& value) {
    int64_t doc = 0;
    if (!DocumentOfSentence(info, g_pCQAVEngine ? &g_pCQAVEngine->m_orgInfo : nullptr, key, doc)) return false;
    info.GetOrgTagInfo(doc, value, tag);
    return true;
}

int32_t NumericTagValue(const std::string& value) { return static_cast<int32_t>(std::atoi(value.c_str())); }

bool QAVSortTagFuncAscend1(const AtomTagEntry<int32_t>& a, const AtomTagEntry<int32_t>& b) { return a.value < b.value; }
bool QAVSortTagFuncDescend1(const AtomTagEntry<int32_t>& a, const AtomTagEntry<int32_t>& b) { return a.value > b.value; }
bool QAVSortTagFuncExAscend1(const MergedTagEntry<int32_t>& a, const MergedTagEntry<int32_t>& b) {
    return a.value < b.value;
}
bool QAVSortTagFuncExDescend1(const MergedTagEntry<int32_t>& a, const MergedTagEntry<int32_t>& b) {
    return a.value > b.value;
}
bool QAVSortTagFuncAscend2(const AtomTagEntry<std::string>& a, const AtomTagEntry<std::string>& b) {
    return a.value < b.value;
}
bool QAVSortTagFuncDescend2(const AtomTagEntry<std::string>& a, const AtomTagEntry<std::string>& b) {
    return a.value > b.value;
}
bool QAVSortTagFuncExAscend2(const MergedTagEntry<std::string>& a, const MergedTagEntry<std::string>& b) {
    return a.value < b.value;
}
bool QAVSortTagFuncExDescend2(const MergedTagEntry<std::string>& a, const MergedTagEntry<std::string>& b) {
    return a.value > b.value;
}

template <typename Visit>
void CQAVSearch::ForEachTaggedHit(const CAtomRet& slot, const std::string& tag, Visit&& visit) const {
    const CHashTableInfo* info = SentInfo();
    if (!info) return;
    std::string value;
    for (int s = 0; s < slot.m_nSegCount; ++s) {
        const SegmentRecords segment = RecordsOfSegment(slot, s);
        const unsigned char* record = segment.first;
        for (int32_t r = 0; r < segment.count; ++r, record += segment.width) {
            const OffsetRecordInfo rec = ReadOffsetRecord(record, segment.width);
            if (!IsInLimit(rec.fileNo, rec.position, false)) continue;
            if (GetTagValue(*info, SentenceKey(rec.fileNo, rec.position), tag, value)) visit(s, r, value);
        }
    }
}

template <typename Visit>
void CQAVSearch::ForEachTaggedHit(const CQAVRet& slot, const std::string& tag, Visit&& visit) const {
    const CHashTableInfo* info = SentInfo();
    if (!info) return;
    std::string value;
    for (int i = 0; i < slot.m_nCount; ++i) {
        const CRetInfo& hit = slot.m_Hits[static_cast<size_t>(i)];
        if (GetTagValue(*info, SentenceKey(hit.file_no, hit.position), tag, value)) visit(i, value);
    }
}

bool CQAVSearch::SortByTag(const CAtomRet& slot, const std::string& tag, int dir,
                           std::vector<AtomTagEntry<int32_t>>& entries) const {
    entries.clear();
    ForEachTaggedHit(slot, tag, [&](int s, int32_t r, const std::string& value) {
        entries.push_back({s, r, NumericTagValue(value)});
    });
    SortEntries(entries, dir, QAVSortTagFuncAscend1, QAVSortTagFuncDescend1);
    return true;
}

bool CQAVSearch::SortByTag(const CAtomRet& slot, const std::string& tag, int dir,
                           std::vector<AtomTagEntry<std::string>>& entries) const {
    entries.clear();
    ForEachTaggedHit(slot, tag, [&](int s, int32_t r, const std::string& value) { entries.push_back({s, r, value}); });
    SortEntries(entries, dir, QAVSortTagFuncAscend2, QAVSortTagFuncDescend2);
    return true;
}

bool CQAVSearch::SortByTag(const CQAVRet& slot, const std::string& tag, int dir,
                           std::vector<MergedTagEntry<int32_t>>& entries) const {
    entries.clear();
    ForEachTaggedHit(slot, tag, [&](int i, const std::string& value) { entries.push_back({i, NumericTagValue(value)}); });
    SortEntries(entries, dir, QAVSortTagFuncExAscend1, QAVSortTagFuncExDescend1);
    return true;
}

bool CQAVSearch::SortByTag(const CQAVRet& slot, const std::string& tag, int dir,
                           std::vector<MergedTagEntry<std::string>>& entries) const {
    entries.clear();
    ForEachTaggedHit(slot, tag, [&](int i, const std::string& value) { entries.push_back({i, value}); });
    SortEntries(entries, dir, QAVSortTagFuncExAscend2, QAVSortTagFuncExDescend2);
    return true;
}

bool CQAVSearch::GroupByTag(const CAtomRet& slot, const std::string& tag, AtomTagGroups& groups) const {
    groups.clear();
    ForEachTaggedHit(slot, tag, [&](int s, int32_t r, const std::string& value) { groups[value].emplace_back(s, r); });
    return true;
}

bool CQAVSearch::GroupByTag(const CQAVRet& slot, const std::string& tag, MergedTagGroups& groups) const {
    groups.clear();
    ForEachTaggedHit(slot, tag, [&](int i, const std::string& value) { groups[value].push_back(i); });
    return true;
}

}  // namespace qav
