// Per-state pointer slots of the library's Lua states. The slots live in a
// small block reached from the state's extra space; the block records the
// state it belongs to, so a coroutine (whose extra space starts as a copy of
// the main state's) reads every slot as empty until it is given its own.
#pragma once

#include "qavlib.h"

namespace qav {

class CBMSearch;
class CQAVSearch;

// A fresh Lua state with empty slots and nothing opened, its memory capped
// as configured (query_bounds.h); null when memory is short. Every Lua state of the retrieval library is made here: the extra
// space of a state made elsewhere is not initialised.
lua_State* QavNewLuaState();

// Stores the search object together with the engine kind it belongs to.
void QavSetSearchSlot(lua_State* L, void* search, int kind);
// The search object when it was stored for this engine kind, else null.
void* QavSearchSlot(lua_State* L, int kind);

// The structured search object that owns L, for a query function: null when
// the engine kind is not structured now or the slot holds no structured
// search (a coroutine, a full-text search).
CQAVSearch* QavStructuredSearch(lua_State* L);

// The full-text search object that owns L, for a query function: null when
// the engine kind is not full-text now or the slot holds no full-text search.
CBMSearch* QavFullTextSearch(lua_State* L);

}  // namespace qav
