// Bodies of the query functions, bound by RegistFunc through LuaEntry. Each
// finds its search object in the state's search slot and answers its neutral
// result (0, "", nil or an empty table) when there is none, when the engine
// kind is not one it works under, or when its arguments have another form.
#pragma once

struct lua_State;

namespace qav {

// Units and words of the index, search set-up (query_functions_search.cpp).
int LuaIsTag(lua_State* L);
int LuaIsPOS(lua_State* L);
int LuaIsWord(lua_State* L);
int LuaOriOn(lua_State* L);
int LuaClearSearch(lua_State* L);
int LuaSpeedup(lua_State* L);
int LuaCondition(lua_State* L);
int LuaFilter(lua_State* L);
int LuaAddLimit(lua_State* L);
int LuaClearLimit(lua_State* L);
int LuaSetBase(lua_State* L);
int LuaGetAS(lua_State* L);
int LuaJoinAS(lua_State* L);
int LuaAND(lua_State* L);
int LuaOR(lua_State* L);
int LuaNOT(lua_State* L);
int LuaShould(lua_State* L);
int LuaMust(lua_State* L);
int LuaBM25Doc(lua_State* L);
int LuaTerm2Doc(lua_State* L);
int LuaBM25Term(lua_State* L);

// Rows, saved files and documents (query_functions_results.cpp).
int LuaContext(lua_State* L);
int LuaFreq(lua_State* L);
int LuaCount(lua_State* L);
int LuaSortBy(lua_State* L);
int LuaGroupBy(lua_State* L);
int LuaCountBy(lua_State* L);
int LuaOutput(lua_State* L);
int LuaSave(lua_State* L);
int LuaDel(lua_State* L);
int LuaGetRetNum(lua_State* L);
int LuaGetRet(lua_State* L);
int LuaGetOrg(lua_State* L);
int LuaGetID(lua_State* L);
int LuaGetDocInfo(lua_State* L);

// Word categories (query_functions_tags.cpp).
int LuaAddTag(lua_State* L);
int LuaClearTag(lua_State* L);
int LuaGetTags(lua_State* L);
int LuaGetTagVal(lua_State* L);

}  // namespace qav
