// A memory limit for a Lua state that runs code from outside: while the
// bound lives, an allocation that would take the state past the limit is
// refused, which Lua raises as a memory error in the running code.
#pragma once

#include <cstddef>

struct lua_State;

namespace zel {

class LuaMemoryBound {
public:
    // limit counts everything the state holds, including what it held
    // before the bound.
    LuaMemoryBound(lua_State* L, size_t limit);
    // Gives the state its own allocator back.
    ~LuaMemoryBound();
    LuaMemoryBound(const LuaMemoryBound&) = delete;
    LuaMemoryBound& operator=(const LuaMemoryBound&) = delete;

    // Whether an allocation was refused.
    bool Passed() const { return passed_; }

private:
    static void* Allocate(void* bound, void* block, size_t oldSize, size_t newSize);

    lua_State* L_;
    void* (*inner_)(void*, void*, size_t, size_t);  // the state's allocator, which does the work
    void* innerData_;
    size_t used_;
    size_t limit_;
    bool passed_ = false;
};

}  // namespace zel
