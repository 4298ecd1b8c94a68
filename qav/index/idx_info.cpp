// The word list file and the unit index file of a build.
#include "qav/index/qav_idx.h"
#include "qav/index/qav_log.h"
#include "qav/index/unit_index_file.h"
#include "qav/index/word_list_build.h"

bool CQAVIdx::WriteIdxInfo() {
    ToWordList(m_SplitUnitHash, m_ChunkList, kUnitListMode);
    const CFileInfo& files = m_Config.m_FileInfo;
    if (!m_WordList_W.Write2FileEx(files.WordList, files.WordListInInfo)) {
        QavLog("Error open %s!\n", files.WordList.c_str());
        return false;
    }
    return WriteIdxUnit2File(files.Unit, files.UnitInInfo);
}

// The index units in unit-list order, each with the records written to its
// region so far, then the chunk units. Complex units are not formed here.
bool CQAVIdx::WriteIdxUnit2File(const std::string& path, const std::string& textPrefix) {
    UnitIndex index;
    auto add = [&index](const CWord& unit, const CHashNode* node) {
        UnitIndexEntry entry;
        entry.name = unit.text;
        entry.offset = unit.offset;
        entry.count = node ? static_cast<int32_t>(node->count) : unit.count;
        entry.type = unit.type;
        entry.file_no = unit.file_no;
        index.units.push_back(std::move(entry));
    };
    for (const CWord& unit : m_WordList_U.words) add(unit, m_UnitHash.GetHashNode(unit.text, unit.type));
    for (const CWord& chunk : m_ChunkList.words) add(chunk, nullptr);
    if (!WriteUnitIndexFile(path, textPrefix, index)) {
        QavLog("Error open %s!\n", path.c_str());
        return false;
    }
    return true;
}
