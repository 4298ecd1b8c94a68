// First stage of a structured index build: rewrites the listed corpus files
// into the plain text files of the index directory ("List.txt", "Data_%d.txt",
// "Org.txt", "DocInfo.txt", "SentInfo.txt"), which every later stage reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Runs the preparation for the index directory dir from the corpus list file;
// sets g_nCorpusSize. False, with a message, when an output file cannot be
// created, a corpus file cannot be opened or the corpus is too large.
bool CreatePreFiles(const std::string& dir, const std::string& corpusList, const std::string& listPath,
                    const std::string& orgPath, const std::string& docInfoPath, const std::string& sentInfoPath);

// Reads the corpus list: one path a line; empty lines and lines beginning with
// a blank, "#", "-" or "\" are skipped. False when the list cannot be opened.
bool ReadOriFiles(const std::string& corpusList, std::vector<std::string>& paths);

// Kind of a corpus file from its first 2,000 considered lines: 1 or 2 (the
// bracket kind of its last tree line) when tree lines make up more than 40%
// of them, otherwise 0. treeLines and considered report the counts.
int DetectFileType(const std::string& path, int& treeLines, int& considered);
