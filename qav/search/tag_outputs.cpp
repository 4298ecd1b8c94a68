// Context rows rebuilt in the order of a document tag, or group by group.
#include <string>
#include <vector>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/search/atom/make_ret_info.h"
#include "qav/search/qav_search.h"
#include "qav/search/atom/record_walk.h"
#include "qav/search/rows/tag_sort.h"

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
