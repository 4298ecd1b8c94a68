#include "qav/service/lua/query_functions.h"

#include "qav/service/lua/lua_query_functions.h"

namespace qav {

const std::vector<QueryFunction>& QueryFunctionTable() {
    // An alias repeats the function under its second name.
    static const std::vector<QueryFunction> table = {
        {"IsTag", LuaEntry<LuaIsTag>},
        {"IsPOS", LuaEntry<LuaIsPOS>},
        {"IsWord", LuaEntry<LuaIsWord>},
        {"OriOn", LuaEntry<LuaOriOn>},
        {"GetAS", LuaEntry<LuaGetAS>},
        {"JoinAS", LuaEntry<LuaJoinAS>},
        {"ClearSearch", LuaEntry<LuaClearSearch>},
        {"Should", LuaEntry<LuaShould>},
        {"Must", LuaEntry<LuaMust>},
        {"BM25Doc", LuaEntry<LuaBM25Doc>},
        {"Term2Doc", LuaEntry<LuaTerm2Doc>},
        {"BM25Term", LuaEntry<LuaBM25Term>},
        {"AND", LuaEntry<LuaAND>},
        {"OR", LuaEntry<LuaOR>},
        {"NOT", LuaEntry<LuaNOT>},
        {"Context", LuaEntry<LuaContext>},
        {"Freq", LuaEntry<LuaFreq>},
        {"Count", LuaEntry<LuaCount>},
        {"SortBy", LuaEntry<LuaSortBy>},
        {"GroupBy", LuaEntry<LuaGroupBy>},
        {"CountBy", LuaEntry<LuaCountBy>},
        {"Output", LuaEntry<LuaOutput>},
        {"Save", LuaEntry<LuaSave>},
        {"Del", LuaEntry<LuaDel>},
        {"WebPrint", LuaEntry<LuaOutput>},
        {"LocalSave", LuaEntry<LuaSave>},
        {"LocalDel", LuaEntry<LuaDel>},
        {"AddLimit", LuaEntry<LuaAddLimit>},
        {"ClearLimit", LuaEntry<LuaClearLimit>},
        {"SetBase", LuaEntry<LuaSetBase>},
        {"AddTag", LuaEntry<LuaAddTag>},
        {"ClearTag", LuaEntry<LuaClearTag>},
        {"GetTags", LuaEntry<LuaGetTags>},
        {"GetTagVal", LuaEntry<LuaGetTagVal>},
        {"AddKV", LuaEntry<LuaAddTag>},
        {"ClearKV", LuaEntry<LuaClearTag>},
        {"GetKV", LuaEntry<LuaGetTagVal>},
        {"Speedup", LuaEntry<LuaSpeedup>},
        {"Condition", LuaEntry<LuaCondition>},
        {"Filter", LuaEntry<LuaFilter>},
        {"GetRetNum", LuaEntry<LuaGetRetNum>},
        {"GetRet", LuaEntry<LuaGetRet>},
        {"GetOrg", LuaEntry<LuaGetOrg>},
        {"GetID", LuaEntry<LuaGetID>},
        {"GetDocInfo", LuaEntry<LuaGetDocInfo>},
    };
    return table;
}

int RegistFunc(lua_State* L) {
    if (!L) return -1;
    for (const QueryFunction& entry : QueryFunctionTable()) {
        lua_pushcfunction(L, entry.function);
        lua_setglobal(L, entry.name);
    }
    return 0;
}

}  // namespace qav
