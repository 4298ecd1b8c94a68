#include "common/lua/lua_slots.h"

#include <lua.hpp>

namespace qz {

namespace {

// Leads every block: the thread it belongs to, so that a coroutine, whose
// extra space starts as a copy of its parent's, does not take the parent's.
struct alignas(std::max_align_t) BlockHead {
    lua_State* owner;
};

// Registry key of the weak-keyed table thread -> block (a userdata), which
// keeps each block alive as long as its thread.
const char kSlotBlocksKey = 0;

BlockHead*& ExtraSpace(lua_State* L) { return *static_cast<BlockHead**>(lua_getextraspace(L)); }

}  // namespace

void ClearLuaSlots(lua_State* L) { ExtraSpace(L) = nullptr; }

void* OwnLuaSlotBytes(lua_State* L) {
    BlockHead* head = ExtraSpace(L);
    return head && head->owner == L ? head + 1 : nullptr;
}

void* NewLuaSlotBytes(lua_State* L, size_t bytes) {
    if (lua_rawgetp(L, LUA_REGISTRYINDEX, &kSlotBlocksKey) != LUA_TTABLE) {
        lua_pop(L, 1);
        lua_newtable(L);
        lua_createtable(L, 0, 1);
        lua_pushliteral(L, "k");
        lua_setfield(L, -2, "__mode");
        lua_setmetatable(L, -2);
        lua_pushvalue(L, -1);
        lua_rawsetp(L, LUA_REGISTRYINDEX, &kSlotBlocksKey);
    }
    auto* head = static_cast<BlockHead*>(lua_newuserdatauv(L, sizeof(BlockHead) + bytes, 0));
    head->owner = L;
    lua_pushthread(L);
    lua_insert(L, -2);
    lua_rawset(L, -3);
    lua_pop(L, 1);
    ExtraSpace(L) = head;
    return head + 1;
}

}  // namespace qz
