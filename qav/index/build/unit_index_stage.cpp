#include "qav/index/build/unit_index_stage.h"

#include <utility>

#include "qav/index/build/complex_units.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/unit_index_file.h"

namespace qav {

bool WriteUnitIndexStage(const std::string& path, const std::string& textPrefix, const CWordList& units,
                         const CHashTable& merged, const CWordList& chunks, int32_t minCountForComplex) {
    UnitIndexWriter out;
    if (!out.Create(path, textPrefix, static_cast<uint32_t>(units.words.size() + chunks.words.size()))) return false;

    for (const CWord& unit : units.words) {
        const CHashNode* node = merged.GetHashNode(unit.text, unit.type);
        const int32_t written = node ? static_cast<int32_t>(node->count) : 0;
        out.AddUnit({unit.text, unit.offset, written, unit.type, unit.file_no});
    }
    for (const CWord& chunk : chunks.words) out.AddUnit({chunk.text, chunk.offset, chunk.count, chunk.type, chunk.file_no});

    // The unit list runs in descending count, so this takes every unit above
    // the threshold.
    ComplexUnitGroups groups;
    for (const CWord& unit : units.words) {
        if (int64_t{static_cast<uint32_t>(unit.count)} <= int64_t{minCountForComplex}) break;
        Add2ChildInfo(unit.text, unit.type, groups);
    }
    ComplexUnitMap chunkMap;
    for (const CWord& chunk : chunks.words) Add2ChildInfo_Base(chunk.text, chunkMap);

    WriteSubInfo2File(out, MergeHashBMInfo(OrderedComplexUnits(std::move(groups)), chunkMap));
    return out.Close();
}

bool CQAVIdx::WriteIdxUnit2File(const std::string& path, const std::string& textPrefix) {
    if (WriteUnitIndexStage(path, textPrefix, m_WordList_U, m_Tables.units, m_ChunkList,
                            m_Config.m_SizeInfo.MinIdxUnitCount_ForComplexIdx))
        return true;
    QavLog("Error open %s!\n", path.c_str());
    return false;
}

}  // namespace qav
