#include "qav/service/lua/lua_slots.h"

#include <lua.hpp>

#include "common/platform/qz_export.h"
#include "qav/index/base/config.h"
#include "qav/service/lua/lua_limits.h"
#include "qav/service/lua/query_bounds.h"

namespace {

struct SlotBlock {
    lua_State* owner;
    void* search;
    int search_kind;
    void* web;
    char* message;
};

// Registry key of the weak-keyed table thread -> slot block (a userdata),
// which keeps each block alive as long as its thread.
const char kSlotBlocksKey = 0;

SlotBlock*& ExtraSpace(lua_State* L) { return *static_cast<SlotBlock**>(lua_getextraspace(L)); }

// The state's own block, or null when it has none yet.
SlotBlock* OwnBlock(lua_State* L) {
    SlotBlock* block = ExtraSpace(L);
    return block && block->owner == L ? block : nullptr;
}

// The state's own block, made on first use.
SlotBlock* Block(lua_State* L) {
    if (SlotBlock* block = OwnBlock(L)) return block;
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
    auto* block = static_cast<SlotBlock*>(lua_newuserdatauv(L, sizeof(SlotBlock), 0));
    *block = SlotBlock{L, nullptr, kEngineStructured, nullptr, nullptr};
    lua_pushthread(L);
    lua_insert(L, -2);
    lua_rawset(L, -3);
    lua_pop(L, 1);
    ExtraSpace(L) = block;
    return block;
}

}  // namespace

lua_State* QavNewLuaState() {
    lua_State* L = QavNewBoundedLuaState(QavLuaMemoryLimitBytes());
    if (L) ExtraSpace(L) = nullptr;
    return L;
}

void QavSetSearchSlot(lua_State* L, void* search, int kind) {
    SlotBlock* block = Block(L);
    block->search = search;
    block->search_kind = kind;
}

void* QavSearchSlot(lua_State* L, int kind) {
    const SlotBlock* block = OwnBlock(L);
    return block && block->search_kind == kind ? block->search : nullptr;
}

CQAVSearch* QavStructuredSearch(lua_State* L) {
    if (g_nEngineType != kEngineStructured) return nullptr;
    return static_cast<CQAVSearch*>(QavSearchSlot(L, kEngineStructured));
}

extern "C" {

QZ_EXPORT void* lua_setQAVSearch(lua_State* L, void* search) {
    QavSetSearchSlot(L, search, g_nEngineType);
    return search;
}

QZ_EXPORT void* lua_getQAVSearch(lua_State* L) {
    const SlotBlock* block = OwnBlock(L);
    return block ? block->search : nullptr;
}

QZ_EXPORT void* lua_setwebbuff(lua_State* L, void* web) {
    Block(L)->web = web;
    return web;
}

QZ_EXPORT void* lua_getwebbuff(lua_State* L) {
    const SlotBlock* block = OwnBlock(L);
    return block ? block->web : nullptr;
}

QZ_EXPORT char* lua_setmsgbuff(lua_State* L, char* buffer) {
    Block(L)->message = buffer;
    return buffer;
}

QZ_EXPORT char* lua_getmsgbuff(lua_State* L) {
    const SlotBlock* block = OwnBlock(L);
    return block ? block->message : nullptr;
}

}  // extern "C"
