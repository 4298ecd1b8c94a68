#include "zel/lattice/attribute_names.h"

#include <mutex>
#include <utility>

#include "zel/lattice/kv_table.h"

namespace zel {

std::map<std::string, Switch_Type> g_mName2Type;

namespace {

const std::pair<const char*, Switch_Type> kNames[] = {
    {"Word", SW_Word},
    {"HeadWord", SW_HeadWord}, {"UF", SW_HeadWord},
    {"Func", SW_Func}, {"Function", SW_Func},
    {"Prefix", SW_Prefix},
    {"Suffix", SW_Suffix},
    {"ChunkID", SW_ChunkID}, {"ChunkId", SW_ChunkID}, {"chunkid", SW_ChunkID}, {"chunkID", SW_ChunkID},
    {"ClauseID", SW_ClauseID}, {"ClauseId", SW_ClauseID}, {"Clauseid", SW_ClauseID}, {"clauseid", SW_ClauseID},
    {"GroupID", SW_GroupID}, {"GroupId", SW_GroupID},
    {"ChunkPos", SW_ChunkPos}, {"chunkPos", SW_ChunkPos}, {"Chunkpos", SW_ChunkPos}, {"chunkpos", SW_ChunkPos},
    {"ClausePos", SW_ClausePos},
    {"From", SW_From},
    {"To", SW_To},
    {"Len", SW_Len},
    {"Name", SW_Name},
    {"Info", SW_Info},
    {"ColNo", SW_ColNo},
    {"HeadChild", SW_HeadChild},
    {"Tree", SW_Tree},
    {"Unit", SW_Unit}, {"UnitNo", SW_Unit},
    {"UChunk", SW_UChunk},
    {"UChunkWord", SW_UChunkWord}, {"UChunkWords", SW_UChunkWord}, {"UChunkChild", SW_UChunkWord},
    {"UChunkUnits", SW_UChunkWord}, {"UChunkUnit", SW_UChunkWord},
    {"UChunkHead", SW_UChunkHead}, {"UChunkHeadUnit", SW_UChunkHead},
    {"ULeft", SW_ULeft}, {"ULeftNear", SW_ULeft}, {"ULeftUnit", SW_ULeft},
    {"ULefts", SW_ULefts}, {"ULeftSent", SW_ULefts},
    {"ULeftChar", SW_ULeftChar},
    {"ULeftChunk", SW_ULeftChunk},
    {"ULeftClause", SW_ULeftClause},
    {"ULeftGroup", SW_ULeftGroup},
    {"URight", SW_URight}, {"URightNear", SW_URight}, {"URightUnit", SW_URight},
    {"URightChar", SW_URightChar},
    {"URights", SW_URights}, {"URightSent", SW_URights},
    {"URightChunk", SW_URightChunk},
    {"URightClause", SW_URightClause},
    {"URightGroup", SW_URightGroup},
    {"USegFrom", SW_USegFrom},
    {"UEntry", SW_UEntry},
    {"UColl", SW_UColl}, {"UCollocation", SW_UColl}, {"UHead", SW_UColl},
    {"UParent", SW_UParent}, {"UTreeParent", SW_UParent},
    {"UChild", SW_UChild}, {"UTreeChild", SW_UChild},
    {"UHeadPhr", SW_UHeadPhr},
    {"Node", SW_Node},
};

constexpr int kKeyListBuckets = 512;

}  // namespace

void InitName2Type() {
    for (const auto& [name, code] : kNames) g_mName2Type[name] = code;
}

const CKVTable& KeyListEx() {
    static CKVTable list;
    static std::once_flag built;
    std::call_once(built, [] {
        // Built from its own copy of the names, so that a caller filling
        // g_mName2Type at the same moment cannot race with the build.
        std::map<std::string, Switch_Type> names;
        for (const auto& [name, code] : kNames) names[name] = code;
        list.New_Table(kKeyListBuckets);
        for (const auto& [name, code] : names) list.insert(name.c_str(), code);
    });
    return list;
}

bool LookupKeyList(const char* name, Switch_Type& code) {
    int value = 0;
    if (!name || !KeyListEx().find(name, value)) return false;
    code = static_cast<Switch_Type>(value);
    return true;
}

}  // namespace zel
