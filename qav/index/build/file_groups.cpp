// File reading stage of the builder: the data text files named in "List.txt"
// and their cutting into file groups.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "qav/index/base/build_inputs.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "common/text/line_reader.h"

namespace qav {

bool CQAVIdx::ReadInFiles(const std::string& listFile) {
    qz::LineReader reader(listFile, kListLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        QavLog("Error open %s\n", listFile.c_str());
        return false;
    }
    std::vector<std::string> files;
    std::vector<int> kinds;
    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        if (IsListCommentLine(line)) continue;
        const size_t tab = line.find('\t');
        files.push_back(line.substr(0, tab));
        kinds.push_back(tab == std::string::npos ? -1 : std::atoi(line.c_str() + tab + 1));
    }

    // At most 255 groups; the unsigned cap turns a negative setting into 255.
    const uint32_t threads = std::min<uint32_t>(static_cast<uint32_t>(m_Config.m_SizeInfo.ThreadNum_Count), kMaxGroups);
    const size_t groups = std::min<size_t>(files.size(), threads);
    m_FileGroups.assign(groups, {});
    m_KindGroups.assign(groups, {});
    m_nGroupCount = static_cast<int32_t>(groups);
    if (groups == 0) return false;

    // The first (files mod G) groups take one file more than the others.
    const size_t base = files.size() / groups;
    const size_t larger = files.size() % groups;
    size_t next = 0;
    for (size_t g = 0; g < groups; ++g) {
        const size_t size = base + (g < larger ? 1 : 0);
        m_FileGroups[g].assign(files.begin() + next, files.begin() + next + size);
        m_KindGroups[g].assign(kinds.begin() + next, kinds.begin() + next + size);
        next += size;
    }
    return true;
}

}  // namespace qav
