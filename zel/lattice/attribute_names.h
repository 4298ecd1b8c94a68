// Built-in attribute names of a unit and their codes. Names with a code are
// kept in unit fields or computed from fields and neighbours; any other name
// is an ordinary key of the unit's own attribute table.
#pragma once

#include <map>
#include <string>

namespace zel {

class CKVTable;

enum Switch_Type {
    SW_Word = 0,
    SW_HeadWord = 1,
    SW_Func = 2,
    SW_Prefix = 3,
    SW_Suffix = 4,
    SW_ChunkID = 5,
    SW_ClauseID = 6,
    SW_GroupID = 7,
    SW_ChunkPos = 8,
    SW_ClausePos = 9,
    SW_From = 10,
    SW_To = 11,
    SW_Len = 12,
    SW_Name = 13,
    SW_Info = 14,
    SW_ColNo = 16,
    SW_HeadChild = 17,
    SW_Tree = 18,
    SW_Unit = 19,
    SW_UChunk = 20,
    SW_UChunkWord = 21,
    SW_UChunkHead = 22,
    SW_ULeft = 23,
    SW_ULefts = 24,
    SW_ULeftChar = 25,
    SW_ULeftChunk = 26,
    SW_ULeftClause = 27,
    SW_ULeftGroup = 28,
    SW_URight = 29,
    SW_URightChar = 30,
    SW_URights = 31,
    SW_URightChunk = 32,
    SW_URightClause = 33,
    SW_URightGroup = 34,
    SW_USegFrom = 35,
    SW_UEntry = 36,
    SW_UColl = 37,
    SW_UParent = 39,
    SW_UChild = 40,
    SW_UHeadPhr = 41,
    SW_Node = 42,
};

// Name -> code, exact and case-sensitive.
extern std::map<std::string, Switch_Type> g_mName2Type;

// Fills g_mName2Type; calling it again changes nothing.
void InitName2Type();

// The process-wide name list (512 buckets), built once on first use; safe
// to use from several threads.
const CKVTable& KeyListEx();

// The code of a built-in name; false for any other name.
bool LookupKeyList(const char* name, Switch_Type& code);

}  // namespace zel
