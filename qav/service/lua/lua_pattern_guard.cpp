#include "qav/service/lua/lua_pattern_guard.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include <lua.hpp>

#include "qav/service/lua/lua_limits.h"

namespace qav {

namespace {

// Plain find: find(s, pattern, init, plain).
constexpr int kPlainArgument = 4;

// End of the single-character class that starts at i (past a set's "]").
size_t ClassEnd(std::string_view pattern, size_t i) {
    if (pattern[i] == '%') return i + 2;
    if (pattern[i] != '[') return i + 1;
    ++i;
    if (i < pattern.size() && pattern[i] == '^') ++i;
    // A "]" right after "[" or "[^" belongs to the set.
    do {
        if (i >= pattern.size()) return pattern.size();
        if (pattern[i] == '%') ++i;
        ++i;
    } while (i < pattern.size() && pattern[i] != ']');
    return i + 1;
}

// Calls the original function (upvalue 1) unless its worst case passes the
// budget; honoursPlain: a true fourth argument asks for a plain search.
int GuardedMatch(lua_State* L, bool honoursPlain) {
    size_t subjectBytes = 0;
    size_t patternBytes = 0;
    const bool strings = lua_type(L, 1) == LUA_TSTRING || lua_type(L, 1) == LUA_TNUMBER;
    const char* pattern = lua_type(L, 2) == LUA_TSTRING ? lua_tolstring(L, 2, &patternBytes) : nullptr;
    if (strings && pattern && !(honoursPlain && lua_toboolean(L, kPlainArgument))) {
        lua_tolstring(L, 1, &subjectBytes);
        if (PatternWorstCaseSteps({pattern, patternBytes}, subjectBytes) > kMaxPatternSteps) {
            char message[160];
            std::snprintf(message, sizeof message,
                          "time limit: a pattern search over %zu bytes could run past the deadline; it is refused",
                          subjectBytes);
            QavRaiseLuaBreach(L, LuaBreach::kPattern, message);
        }
    }
    const int arguments = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, arguments, LUA_MULTRET);
    QavCheckLuaBounds(L);
    return lua_gettop(L);
}

int GuardedFind(lua_State* L) { return GuardedMatch(L, true); }
int GuardedOther(lua_State* L) { return GuardedMatch(L, false); }

// gmatch matches in the iterator it returns, each call going on from the
// last match: the whole walk costs no more than one search, which is
// weighed when gmatch is called.
void Guard(lua_State* L, const char* name, lua_CFunction guard) {
    if (lua_getfield(L, -1, name) != LUA_TFUNCTION) {
        lua_pop(L, 1);
        return;
    }
    lua_pushcclosure(L, guard, 1);
    lua_setfield(L, -2, name);
}

}  // namespace

double PatternWorstCaseSteps(std::string_view pattern, size_t subjectBytes) {
    const double n = static_cast<double>(subjectBytes) + 1;
    size_t i = 0;
    double exponent = 1;  // the start positions of an unanchored search
    if (!pattern.empty() && pattern[0] == '^') {
        exponent = 0;
        i = 1;
    }
    double optional = 0;  // items with "?": each doubles the attempts
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '(' || c == ')') {
            ++i;
            continue;
        }
        if (c == '%' && i + 1 < pattern.size()) {
            const char kind = pattern[i + 1];
            if (kind == 'b') {  // a balanced span: scans ahead
                exponent += 1;
                i += 4;
                continue;
            }
            if (kind == 'f') {  // a frontier: one set, no repetition
                i = ClassEnd(pattern, i + 2);
                continue;
            }
            if (kind >= '0' && kind <= '9') {  // a back reference compares a capture
                exponent += 1;
                i += 2;
                continue;
            }
        }
        i = ClassEnd(pattern, i);
        if (i < pattern.size()) {
            const char repeat = pattern[i];
            if (repeat == '*' || repeat == '+' || repeat == '-') {
                exponent += 1;
                ++i;
            } else if (repeat == '?') {
                optional += 1;
                ++i;
            }
        }
    }
    return std::pow(n, exponent) * std::pow(2.0, optional);
}

void QavGuardPatternFunctions(lua_State* L) {
    if (lua_getglobal(L, "string") == LUA_TTABLE) {
        Guard(L, "find", GuardedFind);
        for (const char* name : {"match", "gmatch", "gsub"}) Guard(L, name, GuardedOther);
    }
    lua_pop(L, 1);
}

}  // namespace qav
