// Counting pass of the structured index build: every word and index unit of
// every data text file, counted per file group in the group's own hash
// tables by up to eight worker threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/build/count_table.h"
#include "qav/index/engine/hash_table.h"

namespace qav {

class CConfig;
class COrgInfo;
class GroupSlices;

// Work record of one file group, for the counting and the offset pass.
struct CThreadInfo {
    uint32_t number = 0;              // group number
    CountTable* unit_counts = nullptr;  // counting pass: the group's own tables
    CountTable* word_counts = nullptr;
    const CHashTable* word_hash = nullptr;  // offset pass: the merged word table
    // Offset pass: the merged identifiers of the group's counted units and
    // words, by their places in the group's counting tables.
    const std::vector<int32_t>* unit_ids = nullptr;
    const std::vector<int32_t>* word_ids = nullptr;
    std::vector<std::string> files;  // data text files, in line order
    std::vector<int> kinds;          // their kinds from "List.txt"; -1 unknown
    CConfig* config = nullptr;  // counting pass
    // The group's sentence stream (sentence_stream.h): written by the
    // counting pass when given, read by the offset pass.
    std::string stream_path;
    // Offset pass only.
    COrgInfo* org_info = nullptr;  // older pipeline's document table of the group; may be null
    std::string data_path;         // DATA
    std::string id_path;           // IDATA
    GroupSlices* slices = nullptr;  // every group's slices of the units' regions
    // False when the group's pass could not read or write all it should.
    bool ok = true;

    // Kind of file f: its own when given and not negative, else the
    // configuration's default kind.
    int FileKind(size_t f) const;
};

// Most worker threads the counting pass starts.
constexpr int kMaxCountThreads = 8;

// Groups of each worker: group g goes to worker g mod min(G, 8).
std::vector<std::vector<int>> CountWorkerGroups(int groupCount);

// Counts all groups, each worker taking its groups in increasing order, each
// group into its own tables. False when a group could not be counted whole;
// the other groups are counted all the same.
bool CountUnitWord(std::vector<CThreadInfo>& groups);

// Counts one group. A file that cannot be opened ends the group, as does an
// exception (both clear info.ok); a line that cannot be processed goes to the
// file's warning file and counts nothing.
void ThreadInfo(CThreadInfo& info);

}  // namespace qav
