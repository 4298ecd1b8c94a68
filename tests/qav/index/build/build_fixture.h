// A small index build in a temporary folder: data text files written from
// UTF-8 lines, a builder configured with small tables, and the counting,
// merging, list and offset stages run in pipeline order.
#pragma once

#include <string>
#include <vector>

#include "qav/index/build/qav_idx.h"
#include "support/test_support.h"

namespace qztest {

class BuildFixture {
public:
    BuildFixture();

    // Writes a data text file of "number\tsentence" lines (UTF-8 in, GBK
    // out), numbering lines from firstLine; returns its path.
    std::string AddFile(const std::vector<std::string>& sentences, long long firstLine = 0);
    // Groups of files, as the file reading stage would form them.
    void SetGroups(const std::vector<std::vector<std::string>>& groups);

    // InitHash, CountUnitWord, MergeHash, HashTables2WordList, PruneWordList.
    bool Count();
    // Count, then WriteInitOffset and CreateOffset.
    bool Build();

    // Count of a unit (UTF-8 text) in the merged table, 0 when absent.
    uint32_t UnitCount(const std::string& utf8, int type) const;

    TempDir dir;
    qav::CQAVIdx idx;

private:
    int next_file_ = 0;
};

}  // namespace qztest
