// The Lua state a search object runs query programs in.
#pragma once

struct lua_State;

namespace qav {

class CBMSearch;
class CQAVSearch;

// A new state with the standard libraries, the query functions, search in
// its search slot (structured engine) and the query sandbox; null when no
// state can be made. Given to CQAVSearch as its state maker.
lua_State* NewQueryState(CQAVSearch* search);
// The same for a full-text search object; the caller closes the state.
lua_State* NewFullTextQueryState(CBMSearch* search);

}  // namespace qav
