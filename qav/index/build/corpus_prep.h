// First stage of a structured index build: rewrites the listed corpus files
// into the plain text files of the index directory ("List.txt", "Data_%d.txt",
// "Org.txt", "DocInfo.txt", "SentInfo.txt"), which every later stage reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/build/corpus_summary.h"

namespace qav {

// Runs the preparation for the index directory dir from the corpus list file;
// sets g_nCorpusSize and, when given, fills summary. False, with a message,
// when an output file cannot be created, the corpus is too large, or a corpus
// file cannot be opened, is a directory, or holds a line that is not GBK text
// (the message names the file and the line). A line too long to index or
// holding a zero byte is dropped with a warning naming it, and counted.
// Files are prepared on up to threads threads; what they make and say comes
// out in the order of the list all the same.
bool CreatePreFiles(const std::string& dir, const std::string& corpusList, const std::string& listPath,
                    const std::string& orgPath, const std::string& docInfoPath, const std::string& sentInfoPath,
                    CorpusSummary* summary = nullptr, int threads = 1);

// Reads the corpus list: one path a line; empty lines and lines beginning with
// a blank, "#", "-" or "\" are skipped. False when the list cannot be opened.
bool ReadOriFiles(const std::string& corpusList, std::vector<std::string>& paths);

// Kind of a corpus file from its first 2,000 considered lines: 1 or 2 (the
// bracket kind of its last tree line) when tree lines make up more than 40%
// of them, otherwise 0. treeLines and considered report the counts.
int DetectFileType(const std::string& path, int& treeLines, int& considered);

}  // namespace qav
