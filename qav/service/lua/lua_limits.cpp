#include "qav/service/lua/lua_limits.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <new>

#include <lua.hpp>

namespace qav {

namespace {

using Clock = std::chrono::steady_clock;

// Instructions between two looks at the clock: a look costs far less than a
// thousand instructions, and the hook still fires every few microseconds.
constexpr int kHookInstructions = 1000;

// The bounds of one state, reached through its allocator's user data. Lua
// raises errors with longjmp, so nothing here has a destructor to skip.
struct Bounds {
    size_t limit = 0;
    size_t used = 0;
    size_t peak = 0;
    void* stateBlock = nullptr;  // the state's own block, freed last by lua_close
    bool adopted = false;        // the state was made: its close frees these bounds

    bool armed = false;
    Clock::time_point deadline{};
    LuaBreach breach = LuaBreach::kNone;
    char breachText[200] = "";
};

thread_local const std::atomic<bool>* tl_cancelFlag = nullptr;

void* BoundedAlloc(void* ud, void* ptr, size_t osize, size_t nsize) {
    auto* bounds = static_cast<Bounds*>(ud);
    const size_t old = ptr ? osize : 0;
    if (nsize == 0) {
        std::free(ptr);
        bounds->used -= old;
        // lua_close frees the state's own block after everything else.
        if (ptr && ptr == bounds->stateBlock && bounds->adopted) delete bounds;
        return nullptr;
    }
    // Shrinking never fails: Lua relies on it.
    if (bounds->limit && nsize > old && bounds->used - old + nsize > bounds->limit) return nullptr;
    void* block = std::realloc(ptr, nsize);
    if (!block) return nullptr;
    if (!bounds->stateBlock) bounds->stateBlock = block;
    bounds->used = bounds->used - old + nsize;
    if (bounds->used > bounds->peak) bounds->peak = bounds->used;
    return block;
}

// The bounds of a state made by QavNewBoundedLuaState; null for any other.
Bounds* BoundsOf(lua_State* L) {
    void* ud = nullptr;
    return lua_getallocf(L, &ud) == BoundedAlloc ? static_cast<Bounds*>(ud) : nullptr;
}

const char* BreachLabel(LuaBreach breach) {
    switch (breach) {
        case LuaBreach::kCancelled: return "the query was cancelled: its client has gone";
        default: return "time limit: the query ran past its deadline";
    }
}

// Records a time or cancel breach when one has happened.
void NoteDeadline(Bounds& bounds) {
    if (!bounds.armed || bounds.breach != LuaBreach::kNone) return;
    LuaBreach breach = LuaBreach::kNone;
    if (tl_cancelFlag && tl_cancelFlag->load(std::memory_order_relaxed)) {
        breach = LuaBreach::kCancelled;
    } else if (Clock::now() >= bounds.deadline) {
        breach = LuaBreach::kTime;
    }
    if (breach == LuaBreach::kNone) return;
    bounds.breach = breach;
    std::snprintf(bounds.breachText, sizeof bounds.breachText, "%s", BreachLabel(breach));
}

void DeadlineHook(lua_State* L, lua_Debug*) {
    Bounds* bounds = BoundsOf(L);
    if (!bounds) return;
    NoteDeadline(*bounds);
    if (bounds->breach == LuaBreach::kNone) return;
    // From now on every instruction of this coroutine fails, so that the
    // error cannot be caught and the loop resumed.
    lua_sethook(L, DeadlineHook, LUA_MASKCOUNT, 1);
    luaL_error(L, "%s", bounds->breachText);
}

// Continuation (and tail) of a guarded protected call: the call's results
// stay, unless the run passed a bound meanwhile.
int AfterProtectedCall(lua_State* L, int, lua_KContext) {
    QavCheckLuaBounds(L);
    return lua_gettop(L);
}

// The original function (upvalue 1) called with every argument.
int GuardedProtectedCall(lua_State* L) {
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_callk(L, lua_gettop(L) - 1, LUA_MULTRET, 0, AfterProtectedCall);
    return AfterProtectedCall(L, LUA_OK, 0);
}

// Replaces field name of the table on top of the stack by a guarded call.
void GuardField(lua_State* L, const char* name) {
    if (lua_getfield(L, -1, name) != LUA_TFUNCTION) {
        lua_pop(L, 1);
        return;
    }
    lua_pushcclosure(L, GuardedProtectedCall, 1);
    lua_setfield(L, -2, name);
}

// An error outside any protected call: Lua aborts the process after this.
int Panic(lua_State* L) {
    const char* text = lua_tostring(L, -1);
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", text ? text : "?");
    return 0;
}

}  // namespace

lua_State* QavNewBoundedLuaState(size_t memoryLimit) {
    auto* bounds = new (std::nothrow) Bounds;
    if (!bounds) return nullptr;
    bounds->limit = memoryLimit;
    lua_State* L = lua_newstate(BoundedAlloc, bounds);
    if (!L) {
        delete bounds;
        return nullptr;
    }
    bounds->adopted = true;
    lua_atpanic(L, Panic);
    return L;
}

void QavStartLuaDeadline(lua_State* L, std::chrono::steady_clock::time_point deadline) {
    Bounds* bounds = BoundsOf(L);
    if (!bounds) return;
    bounds->armed = true;
    bounds->deadline = deadline;
    bounds->breach = LuaBreach::kNone;
    bounds->breachText[0] = '\0';
    lua_sethook(L, DeadlineHook, LUA_MASKCOUNT, kHookInstructions);
}

void QavStopLuaDeadline(lua_State* L) {
    if (Bounds* bounds = BoundsOf(L)) bounds->armed = false;
    lua_sethook(L, nullptr, 0, 0);
}

void QavCheckLuaBounds(lua_State* L) {
    Bounds* bounds = BoundsOf(L);
    if (!bounds) return;
    NoteDeadline(*bounds);
    if (bounds->breach != LuaBreach::kNone) luaL_error(L, "%s", bounds->breachText);
}

void QavRaiseLuaBreach(lua_State* L, LuaBreach breach, const char* message) {
    if (Bounds* bounds = BoundsOf(L)) {
        bounds->breach = breach;
        std::snprintf(bounds->breachText, sizeof bounds->breachText, "%s", message);
    }
    luaL_error(L, "%s", message);
    std::abort();  // luaL_error does not return
}

LuaBreach QavLuaBreach(lua_State* L, int status) {
    const Bounds* bounds = BoundsOf(L);
    if (bounds && bounds->breach != LuaBreach::kNone) return bounds->breach;
    return status == LUA_ERRMEM ? LuaBreach::kMemory : LuaBreach::kNone;
}

std::string QavLuaBreachText(lua_State* L) {
    const Bounds* bounds = BoundsOf(L);
    return bounds ? bounds->breachText : "";
}

size_t QavLuaBytesInUse(lua_State* L) {
    const Bounds* bounds = BoundsOf(L);
    return bounds ? bounds->used : 0;
}

size_t QavLuaPeakBytes(lua_State* L) {
    const Bounds* bounds = BoundsOf(L);
    return bounds ? bounds->peak : 0;
}

size_t QavLuaMemoryLimit(lua_State* L) {
    const Bounds* bounds = BoundsOf(L);
    return bounds ? bounds->limit : 0;
}

void QavGuardProtectedCalls(lua_State* L) {
    lua_pushglobaltable(L);
    for (const char* name : {"pcall", "xpcall"}) GuardField(L, name);
    lua_pop(L, 1);
    if (lua_getglobal(L, "coroutine") == LUA_TTABLE) {
        for (const char* name : {"resume", "close"}) GuardField(L, name);
    }
    lua_pop(L, 1);
}

void QavSetThreadCancelFlag(const std::atomic<bool>* flag) { tl_cancelFlag = flag; }

}  // namespace qav
