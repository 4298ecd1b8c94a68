// The builder's document tables ("Org.txt" read once, one table per group
// filled by the offset pass of the older pipeline), the removal of the
// temporary text files, and the release of the stages' tables.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "qav/index/base/build_inputs.h"
#include "qav/index/format/data_file.h"
#include "qav/index/format/org_dat_file.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "common/text/line_reader.h"

namespace qav {

bool CQAVIdx::OrgInfoInit(const std::string& orgText) {
    m_GroupOrgInfo.clear();
    if (!m_OrgInfo.ReadOrg(orgText)) return false;
    m_GroupOrgInfo.resize(static_cast<size_t>(std::max(m_nGroupCount, 0)));
    for (COrgInfo& group : m_GroupOrgInfo) group.SetInfo(m_OrgInfo);
    return true;
}

bool CQAVIdx::MergeWriteOrg(const std::string& path) const {
    if (m_GroupOrgInfo.empty()) return false;
    // A group table holds the start key of each of its documents, the first
    // one as 0. The document table file holds end keys: each document ends
    // where the next one starts; a group's documents end with the group's
    // data file, where the next group's first sentence starts, and the last
    // document of all with the largest key.
    std::vector<uint64_t> starts;
    OrgTable table;
    for (size_t g = 0; g < m_GroupOrgInfo.size(); ++g) {
        const COrgInfo& group = m_GroupOrgInfo[g];
        const std::vector<uint64_t>& keys = group.Keys();
        for (size_t i = 0; i < keys.size(); ++i) {
            starts.push_back(i == 0 ? (uint64_t{g} << 32) | kFirstWordPosition : keys[i]);
            table.names.push_back(i < group.Names().size() ? group.Names()[i] : std::string());
        }
    }
    for (size_t i = 0; i < starts.size(); ++i) {
        const uint64_t end = i + 1 < starts.size() ? starts[i + 1] : std::numeric_limits<uint64_t>::max();
        table.ends.push_back(static_cast<int64_t>(end));
    }
    if (WriteOrgDatFile(path, table)) return true;
    QavLog("Error open %s\n", path.c_str());
    return false;
}

bool CQAVIdx::DelTmpFiles(const std::string& listFile) {
    {
        qz::LineReader reader(listFile, kListLineBytes, qz::LongLines::kSplit);
        if (!reader.ok()) {
            QavLog("Error open %s\n", listFile.c_str());
            return false;
        }
        std::string line;
        while (reader.Next(line) != qz::LineReader::kEnd) {
            if (IsListCommentLine(line)) continue;
            std::remove(line.substr(0, line.find('\t')).c_str());
        }
    }
    std::remove(listFile.c_str());
    return true;
}

void CQAVIdx::FreeTables() {
    // One bucket each: the tables stay usable and hold next to nothing.
    m_Tables.units.Reset(1);
    m_Tables.words.Reset(1);
    m_Tables.group_units.clear();
    m_Tables.group_words.clear();
    m_Tables.group_unit_ids.clear();
    m_Tables.group_word_ids.clear();
    m_SplitUnitHash.Reset(1);
    m_WordList_U = CWordList();
    m_WordList_W = CWordList();
    m_ChunkList = CWordList();
    m_GroupOrgInfo.clear();
    m_OrgInfo.OrgInfoExit();
}

}  // namespace qav
