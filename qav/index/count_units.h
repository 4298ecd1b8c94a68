// Counting pass of the structured index build: every word and index unit of
// every data text file, counted per file group in the group's own hash
// tables by up to eight worker threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/hash_table.h"

class CConfig;

// Work record of one file group.
struct CThreadInfo {
    uint32_t number = 0;              // group number
    CHashTable* unit_hash = nullptr;  // the group's own tables
    CHashTable* word_hash = nullptr;
    std::vector<std::string> files;  // data text files, in line order
    std::vector<int> kinds;          // their kinds from "List.txt"; -1 unknown
    CConfig* config = nullptr;
};

// Most worker threads the counting pass starts.
constexpr int kMaxCountThreads = 8;

// Groups of each worker: group g goes to worker g mod min(G, 8).
std::vector<std::vector<int>> CountWorkerGroups(int groupCount);

// Counts all groups, each worker taking its groups in increasing order, each
// group into its own tables. Always true.
bool CountUnitWord(std::vector<CThreadInfo>& groups);

// Counts one group. A file that cannot be opened ends the group; a line that
// cannot be processed goes to the file's warning file and counts nothing.
void ThreadInfo(CThreadInfo& info);
