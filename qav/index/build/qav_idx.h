// Builder of a structured index: the tables and lists that the build stages
// hand to one another, and the stages themselves. Each stage lives in a
// source file of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/base/config.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/engine/org_info.h"
#include "qav/index/format/word_list.h"
#include "qav/index/build/scratch_files.h"
#include "qav/index/build/word_lists.h"
#include "common/platform/file_handle.h"

namespace qav {

class CQAVIdx {
public:
    // Offset files are numbered by one byte, and the engine opens 0 to 254.
    static constexpr int kMaxOffsetFiles = 255;
    // Data and identifier files of groups 0 to 254 are removed before a pass.
    static constexpr int kMaxGroups = 255;

    CConfig m_Config;

    // Merged unit and word tables (the word table's identifiers are those of
    // the data files) and the per-group tables of the counting pass.
    CountTables m_Tables;
    CWordList m_WordList_U;      // units by descending count ("WordList_U")
    CWordList m_WordList_W;      // words by text, with an identifier-ordered copy ("WordList_W")
    CHashTable m_SplitUnitHash;  // units sorted in chunks
    CWordList m_ChunkList;
    // What the counting pass saw of each group's lines, for the offset pass.
    ScratchFiles m_SentenceStreams{".lines.tmp"};

    // Older pipeline only: one document table per group, filled by the offset
    // pass. Empty when the builder keeps none.
    std::vector<COrgInfo> m_GroupOrgInfo;

    int32_t m_nGroupCount = 0;
    uint8_t m_nOffsetFileCount = 0;
    // Data text files of each group and their kinds (-1: none given, the
    // configuration's default kind applies).
    std::vector<std::vector<std::string>> m_FileGroups;
    std::vector<std::vector<int>> m_KindGroups;

    // Bound of the unit list; a member so that pruning can be tried on small lists.
    int64_t m_nMaxUnitListSize = kMaxUnitListEntries;

    // Makes the merged, split-unit and per-group tables for m_nGroupCount
    // groups, empty, with the configured bucket counts.
    void InitHash();
    // Counts the words and units of every group, on up to 8 threads. False
    // when a group could not be counted whole (a file that cannot be opened,
    // an exception); the other groups are counted all the same.
    bool CountUnitWord();
    // Merges the per-group tables into the merged ones.
    void MergeHash();
    // The unit list and the word list from the merged tables.
    void HashTables2WordList();
    // Bounds the unit list to m_nMaxUnitListSize entries. The word list is
    // never cut: the data files and the word list file look words up by
    // identifier, so every identifier keeps its entry.
    bool PruneWordList();

    // Writes the word list and the unit index as they stand, then lays out
    // the offset files with zero-filled regions for the counted occurrences of
    // every unit of the unit list. False when a file cannot be created or written.
    bool WriteInitOffset();
    // The chunk list from the split-unit hash, then the word list file and
    // the unit index file (both with text views). False when one cannot be written.
    bool WriteIdxInfo();
    // Writes the data and identifier files of every group and fills the unit
    // regions of the offset files, "ThreadNum_Offset" groups at a time. False
    // when a group fails (a file that cannot be created, opened or written)
    // or the offset files cannot be written. The groups' unit tables are
    // dropped (left null) once their slices are placed.
    bool CreateOffset();
    // Appends the records the listed groups still hold to the units'
    // regions: none, as the offset pass writes a group's records into its
    // slices as it goes and the groups' tables hold counts only. False when
    // an offset file cannot be opened or closed, or a group number is out of
    // range.
    bool HashOffset2File(const std::vector<int>& groups);
    // The same for one group.
    bool HashOffset2File(int group);
    // Sorts every unit's offset records in place by the corpus text next to
    // each occurrence; units sorted in chunks go to the split-unit hash.
    // False when the data files cannot be loaded, an offset file cannot be
    // opened, or records cannot be read or written back.
    bool SortOffset();
    // Writes the unit index with its chunk units and complex units at path,
    // and its text view at textPrefix + "_txt". False when either cannot be
    // created or written.
    bool WriteIdxUnit2File(const std::string& path, const std::string& textPrefix);

    // Whole builds and their own stages.
    // The builder's document table, read from "Org.txt"; the group tables
    // above share its build-time tables.
    COrgInfo m_OrgInfo;

    // Full build of the index directory indexDir from a corpus list, written
    // in a folder beside it and swapped in when every stage has succeeded: 1
    // on success, 0 when a stage fails (indexDir stays as it was, and the
    // build log in it stays open without its last line).
    int QAVIdxAllInOne(const std::string& configFile, const std::string& corpusList, const std::string& indexDir);
    // Older build over a ready file list and "Org.txt"-format document list;
    // no preparation, identifier merge, sentence information or build log.
    // It writes in place, its folder marked unfinished until it succeeds.
    int QAVIdx(const std::string& configFile, const std::string& orgText, const std::string& fileList,
               const std::string& indexDir);
    // Reads "List.txt" and cuts its files into m_nGroupCount contiguous
    // groups; false when it cannot be opened or no group results.
    bool ReadInFiles(const std::string& listFile);
    // Default file kind and language from the text of the groups' files.
    void CheckIsTreeType();
    // "Org.txt" into m_OrgInfo, and an empty table per group sharing it;
    // false when the file cannot be read.
    bool OrgInfoInit(const std::string& orgText);
    // Older pipeline: the groups' document tables, in group order, written
    // as a document table file at path. False when there are no group
    // tables or the file cannot be written.
    bool MergeWriteOrg(const std::string& path) const;
    // Removes the data text files named in listFile, then listFile itself;
    // false when listFile cannot be opened.
    bool DelTmpFiles(const std::string& listFile);
    // Releases the hash tables and lists of the stages.
    void FreeTables();

private:
    bool PreallocateOffsetFiles();
    // Opens every offset file "rb+"; false when one cannot be opened.
    bool OpenOffsetFiles(std::vector<qz::FileHandle>& files) const;
};

// Appends every record buffer of one group's unit table, bucket by bucket,
// after the records already in each unit's region (the merged node's offset,
// file and count), counts them on the merged node and frees the buffers.
// Units the merged table lacks are passed over. False on a failed seek or
// write, or a region in a file that is not open.
bool WriteOffset2File(CHashTable& groupUnits, std::vector<qz::FileHandle>& files, CHashTable& mergedUnits);

}  // namespace qav
