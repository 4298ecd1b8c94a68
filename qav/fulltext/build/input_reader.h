// Input thread of the full-text builder: reads the documents of one file
// group and writes the group's temporaries (posting text, field records with
// term texts, the empty group document file) and its kept shard files (".orx",
// ".ori", ".pid"), counting documents, terms and field lengths in the group's
// term table.
//
// Input lines: "#Global key=value;..." starts a document's information,
// "#Group name=F" starts field F, "Item:text" is one line of the current
// field, "Table" ends the document. A document also ends with its file.
#pragma once

#include <string>
#include <vector>

#include "qav/fulltext/format/term_table.h"
#include "qav/index/base/config.h"

namespace qav::bm {

// Longest field text kept in ".ori"; a longer text is cut there.
constexpr size_t kMaxFieldTextBytes = 102400;

struct CThreadInfoBM {
    CHashTableBM* table = nullptr;
    std::vector<std::string> files;
    int number = 0;  // group, input thread and shard number
    const CConfig* config = nullptr;
    // False when the thread could not do all of its work; the build then fails.
    bool ok = false;
};

// Thread body: processes the group's files in order.
void ProcessSubThreadTAB(CThreadInfoBM& thread);

// The ".ori" text of one field: its line lists back to back, the lines of one
// list joined by "<br/>"; a single blank is dropped, a run of n blanks keeps
// n - 1, a tab becomes four blanks. Cut to at most kMaxFieldTextBytes bytes
// without splitting a character or a "<br/>".
std::string FieldText(const std::vector<std::vector<std::string>>& lineLists);

}  // namespace qav::bm
