// Work record of one file group, handed to the thread that counts the group
// or writes its data file and offset records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CConfig;
class CHashTable;
class COrgInfo;
class CWordList;

class CThreadInfo {
public:
    CHashTable* unit_hash = nullptr;         // the group's own unit table
    CHashTable* word_hash = nullptr;         // the group's own (counting) or the merged one (offsets)
    const CWordList* unit_list = nullptr;
    CHashTable* merged_unit_hash = nullptr;
    COrgInfo* org_info = nullptr;            // older pipeline only; may be null
    std::vector<std::string> files;          // data text files, in order
    std::vector<int> kinds;                  // their kinds; -1: the configured default
    std::string data_path;                   // DATA
    std::string id_path;                     // IDATA
    uint32_t group = 0;
    CConfig* config = nullptr;               // read only while threads run
    bool ok = true;                          // false when the group's pass failed

    void SetThreadInfo(CHashTable* unitHash, CHashTable* wordHash, const std::vector<std::string>& groupFiles,
                       const std::vector<int>& groupKinds, const std::string& dataPath, const std::string& idPath,
                       uint32_t number, const CWordList* unitList, CConfig* configuration, COrgInfo* orgInfo,
                       CHashTable* mergedUnitHash);

    // Kind of file i: its own when given and not negative, else the
    // configuration's default kind.
    int FileKind(size_t i) const;
};
