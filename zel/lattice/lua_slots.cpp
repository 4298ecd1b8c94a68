#include "zel/lattice/lua_slots.h"

#include <lua.hpp>

#include "common/lua/lua_slots.h"
#include "zel/lattice/bounded_text.h"

namespace zel {

namespace {

struct SlotBlock {
    void* lattice;
    void* net;
    void* web;
    BoundedText message;
};

SlotBlock* OwnBlock(lua_State* L) { return qz::OwnLuaSlots<SlotBlock>(L); }

SlotBlock* Block(lua_State* L) { return qz::LuaSlots(L, SlotBlock{nullptr, nullptr, nullptr, BoundedText()}); }

}  // namespace

lua_State* NewLuaState() {
    lua_State* L = luaL_newstate();
    if (L) qz::ClearLuaSlots(L);
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
