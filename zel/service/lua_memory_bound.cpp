#include "zel/service/lua_memory_bound.h"

#include <lua.hpp>

#include <algorithm>

namespace zel {

LuaMemoryBound::LuaMemoryBound(lua_State* L, size_t limit) : L_(L), limit_(limit) {
    inner_ = lua_getallocf(L, &innerData_);
    used_ = static_cast<size_t>(lua_gc(L, LUA_GCCOUNT, 0)) * 1024 + static_cast<size_t>(lua_gc(L, LUA_GCCOUNTB, 0));
    lua_setallocf(L, Allocate, this);
}

LuaMemoryBound::~LuaMemoryBound() { lua_setallocf(L_, inner_, innerData_); }

void* LuaMemoryBound::Allocate(void* bound, void* block, size_t oldSize, size_t newSize) {
    auto* self = static_cast<LuaMemoryBound*>(bound);
    // Without a block, oldSize tells the kind of object, not a size.
    const size_t held = block ? oldSize : 0;
    if (newSize > held && newSize - held > self->limit_ - std::min(self->used_, self->limit_)) {
        self->passed_ = true;
        return nullptr;
    }
    void* result = self->inner_(self->innerData_, block, oldSize, newSize);
    if (result || newSize == 0) self->used_ = self->used_ - std::min(self->used_, held) + newSize;
    return result;
}

}  // namespace zel
