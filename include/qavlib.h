// Public interface of the retrieval library.
#pragma once

struct lua_State;

#ifdef __cplusplus
extern "C" {
#endif

// Pointer slots of a Lua state made by the library: the search object that
// owns the state, the web output handle and a message buffer. Each state and
// each coroutine has its own three slots, empty at creation. A setter stores
// the pointer and returns it; a getter returns what the state's own slot
// holds. The state must be one the library made.
void* lua_setQAVSearch(lua_State* L, void* search);
void* lua_getQAVSearch(lua_State* L);
void* lua_setwebbuff(lua_State* L, void* web);
void* lua_getwebbuff(lua_State* L);
char* lua_setmsgbuff(lua_State* L, char* buffer);
char* lua_getmsgbuff(lua_State* L);

#ifdef __cplusplus
}
#endif
