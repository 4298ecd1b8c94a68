// The four per-state slots of the grammar library's Lua states: the lattice
// the state belongs to, the rule network whose action runs, the HTTP request
// being answered and the buffer that receives a copy of what is printed.
// The slots live in a block reached from the state's extra space; the block
// records its owner, so a coroutine reads every slot as empty until it is
// given its own. The slots own nothing.
#pragma once

#include <cstddef>

struct lua_State;

namespace zel {

class BoundedText;

// A fresh Lua state with empty slots and nothing opened; null when memory
// is short. The extra space of a state made elsewhere is not initialised.
lua_State* NewLuaState();

void* lua_setlattiace(lua_State* L, void* lattice);
void* lua_getlattiace(lua_State* L);
void* lua_setnet(lua_State* L, void* net);
void* lua_getnet(lua_State* L);
void* lua_setweb(lua_State* L, void* request);
void* lua_getweb(lua_State* L);
// The buffer holds capacity bytes; print never writes past them.
char* lua_setmsgbuff(lua_State* L, char* buffer, size_t capacity);
char* lua_getmsgbuff(lua_State* L);
// The message buffer with its capacity, for print; null when none is set.
BoundedText* MessageBufferOf(lua_State* L);

}  // namespace zel
