// The full-text index builder: G input threads read the file groups into
// per-group term tables and temporaries; their counts and terms merge into
// one table that numbers the terms; G threads write the two shards of each
// group; then the term table, the word list with idf and the document-name
// transducer are written and the temporaries removed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "qav/fulltext/format/term_table.h"
#include "qav/index/base/config.h"

namespace qav::bm {

class CBMIdx {
public:
    // Builds indexDir from the configuration file (whose name must be
    // "config.txt") and the file list. 1 on success, 0 when any stage or
    // thread failed; temporaries of a failed build stay in indexDir.
    int BMIdx(const std::string& configFile, const std::string& fileList, const std::string& indexDir);

    // Reads the file list (lines that are empty or begin with a blank, "#",
    // "-" or "\" name no file) into min(paths, "ThreadNum_Count") groups of
    // consecutive paths, the first groups one path larger. A thread count of
    // 0 counts as 1. False with "Error open %s\n" when the list cannot be read.
    bool ReadInFiles(const std::string& path);
    const std::vector<std::vector<std::string>>& fileGroups() const { return m_FileGroups; }

    CConfig m_Config;

private:
    bool ProcessSub();
    void MergeDocNum();
    bool Term2Doc();
    void MergeTerm2DocEx();
    bool WriteDoc2TermEx();
    bool IndexDocInfo();
    void DelTmpFile();

    std::unique_ptr<CHashTableBM> m_Merged;
    std::vector<std::unique_ptr<CHashTableBM>> m_Groups;
    std::vector<std::vector<std::string>> m_FileGroups;
};

}  // namespace qav::bm
