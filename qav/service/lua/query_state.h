// The Lua state a search object runs query programs in.
#pragma once

class CBMSearch;
class CQAVSearch;
struct lua_State;

// A new state with the standard libraries, the query functions, search in
// its search slot (structured engine) and the query sandbox; null when no
// state can be made. Given to CQAVSearch as its state maker.
lua_State* NewQueryState(CQAVSearch* search);
// The same for a full-text search object; the caller closes the state.
lua_State* NewFullTextQueryState(CBMSearch* search);
