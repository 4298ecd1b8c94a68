// Per-thread slots of a Lua state: a small block of plain data that C
// functions reach through the state's extra space. Each thread (a coroutine
// too) gets its own block on its first write; a thread that has written
// nothing reads as empty, never as its parent's block.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

struct lua_State;

namespace qz {

// Marks a new state as holding no block; call it right after creating one.
void ClearLuaSlots(lua_State* L);
// The thread's own block, or null when it has none.
void* OwnLuaSlotBytes(lua_State* L);
// A new block of the given size for the thread, kept alive as long as the
// thread is (Lua frees it, without running a destructor).
void* NewLuaSlotBytes(lua_State* L, size_t bytes);

template <typename Slots>
Slots* OwnLuaSlots(lua_State* L) {
    return static_cast<Slots*>(OwnLuaSlotBytes(L));
}

// The thread's own block, made from initial on first use.
template <typename Slots>
Slots* LuaSlots(lua_State* L, const Slots& initial) {
    static_assert(std::is_trivially_destructible_v<Slots>, "Lua frees slot blocks without destructors");
    if (Slots* slots = OwnLuaSlots<Slots>(L)) return slots;
    return new (NewLuaSlotBytes(L, sizeof(Slots))) Slots(initial);
}

}  // namespace qz
