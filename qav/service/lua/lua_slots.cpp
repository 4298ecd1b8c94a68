#include "qav/service/lua/lua_slots.h"

#include <lua.hpp>

#include "common/lua/lua_slots.h"
#include "common/platform/qz_export.h"
#include "qav/index/base/config.h"
#include "qav/service/lua/lua_limits.h"
#include "qav/service/lua/query_bounds.h"

namespace qav {

namespace {

struct SlotBlock {
    void* search;
    int search_kind;
    void* web;
    char* message;
};

SlotBlock* OwnBlock(lua_State* L) { return qz::OwnLuaSlots<SlotBlock>(L); }

SlotBlock* Block(lua_State* L) { return qz::LuaSlots(L, SlotBlock{nullptr, kEngineStructured, nullptr, nullptr}); }

}  // namespace

lua_State* QavNewLuaState() {
    lua_State* L = QavNewBoundedLuaState(QavLuaMemoryLimitBytes());
    if (L) qz::ClearLuaSlots(L);
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

CBMSearch* QavFullTextSearch(lua_State* L) {
    if (g_nEngineType != kEngineFullText) return nullptr;
    return static_cast<CBMSearch*>(QavSearchSlot(L, kEngineFullText));
}

}  // namespace qav

extern "C" {

QZ_EXPORT void* lua_setQAVSearch(lua_State* L, void* search) {
    qav::QavSetSearchSlot(L, search, qav::g_nEngineType);
    return search;
}

QZ_EXPORT void* lua_getQAVSearch(lua_State* L) {
    const qav::SlotBlock* block = qav::OwnBlock(L);
    return block ? block->search : nullptr;
}

QZ_EXPORT void* lua_setwebbuff(lua_State* L, void* web) {
    qav::Block(L)->web = web;
    return web;
}

QZ_EXPORT void* lua_getwebbuff(lua_State* L) {
    const qav::SlotBlock* block = qav::OwnBlock(L);
    return block ? block->web : nullptr;
}

QZ_EXPORT char* lua_setmsgbuff(lua_State* L, char* buffer) {
    qav::Block(L)->message = buffer;
    return buffer;
}

QZ_EXPORT char* lua_getmsgbuff(lua_State* L) {
    const qav::SlotBlock* block = qav::OwnBlock(L);
    return block ? block->message : nullptr;
}

}  // extern "C"

