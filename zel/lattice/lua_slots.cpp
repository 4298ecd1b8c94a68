#include "zel/lattice/lua_slots.h"

#include <lua.hpp>

#include "zel/lattice/bounded_text.h"

namespace zel {

namespace {

struct SlotBlock {
    lua_State* owner;
    void* lattice;
    void* net;
    void* web;
    BoundedText message;
};

// Registry key of the weak-keyed table thread -> slot block (a userdata),
// which keeps each block alive as long as its thread.
const char kSlotBlocksKey = 0;

SlotBlock*& ExtraSpace(lua_State* L) { return *static_cast<SlotBlock**>(lua_getextraspace(L)); }

SlotBlock* OwnBlock(lua_State* L) {
    SlotBlock* block = ExtraSpace(L);
    return block && block->owner == L ? block : nullptr;
}

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
    // The block is plain data: Lua frees it without running a destructor.
    auto* block = static_cast<SlotBlock*>(lua_newuserdatauv(L, sizeof(SlotBlock), 0));
    *block = SlotBlock{L, nullptr, nullptr, nullptr, BoundedText()};
    lua_pushthread(L);
    lua_insert(L, -2);
    lua_rawset(L, -3);
    lua_pop(L, 1);
    ExtraSpace(L) = block;
    return block;
}

}  // namespace

lua_State* NewLuaState() {
    lua_State* L = luaL_newstate();
    if (L) ExtraSpace(L) = nullptr;
    return L;
}

void* lua_setlattiace(lua_State* L, void* lattice) { return Block(L)->lattice = lattice; }

void* lua_getlattiace(lua_State* L) {
    const SlotBlock* block = OwnBlock(L);
    return block ? block->lattice : nullptr;
}

void* lua_setnet(lua_State* L, void* net) { return Block(L)->net = net; }

void* lua_getnet(lua_State* L) {
    const SlotBlock* block = OwnBlock(L);
    return block ? block->net : nullptr;
}

void* lua_setweb(lua_State* L, void* request) { return Block(L)->web = request; }

void* lua_getweb(lua_State* L) {
    const SlotBlock* block = OwnBlock(L);
    return block ? block->web : nullptr;
}

char* lua_setmsgbuff(lua_State* L, char* buffer, size_t capacity) {
    Block(L)->message = buffer && capacity > 0 ? BoundedText(buffer, capacity) : BoundedText();
    return buffer;
}

char* lua_getmsgbuff(lua_State* L) {
    SlotBlock* block = OwnBlock(L);
    return block ? block->message.data() : nullptr;
}

BoundedText* MessageBufferOf(lua_State* L) {
    SlotBlock* block = OwnBlock(L);
    return block && block->message.data() ? &block->message : nullptr;
}

}  // namespace zel
