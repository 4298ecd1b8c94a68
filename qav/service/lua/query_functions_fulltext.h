// The full-text side of the query functions: each takes the full-text search
// object of the state and the function's arguments, and pushes its results.
#pragma once

#include <lua.hpp>

namespace qav {

class CBMSearch;

int FullTextShould(lua_State* L);
int FullTextMust(lua_State* L);
int FullTextBM25Doc(lua_State* L);
int FullTextTerm2Doc(lua_State* L);
int FullTextBM25Term(lua_State* L);

int FullTextAND(lua_State* L, CBMSearch& search);
int FullTextOR(lua_State* L, CBMSearch& search);
int FullTextNOT(lua_State* L, CBMSearch& search);
int FullTextSetBase(lua_State* L, CBMSearch& search);
int FullTextCondition(lua_State* L, CBMSearch& search);

int FullTextSave(lua_State* L, CBMSearch& search);
int FullTextOutput(lua_State* L, CBMSearch& search);
int FullTextGetRetNum(lua_State* L, CBMSearch& search);
int FullTextGetRet(lua_State* L, CBMSearch& search);
int FullTextGetOrg(lua_State* L, CBMSearch& search);
int FullTextGetID(lua_State* L, CBMSearch& search);
int FullTextGetDocInfo(lua_State* L, CBMSearch& search);
int FullTextSortBy(lua_State* L, CBMSearch& search);
int FullTextCountBy(lua_State* L, CBMSearch& search);

}  // namespace qav
