// Lua's pattern matching runs inside one C call, where the deadline hook
// cannot fire, and backtracks: a pattern with k repeated items can take
// about n^(k+1) steps on a subject of n bytes. The string functions that
// match patterns are therefore guarded: a call whose worst case passes a
// fixed budget of steps is refused with the time-limit error before it
// starts, and every call is followed by a look at the deadline.
#pragma once

#include <cstddef>
#include <string_view>

struct lua_State;

namespace qav {

// Matcher steps a call may cost at worst (several seconds of matching).
constexpr double kMaxPatternSteps = 1e10;

// The worst-case steps of matching pattern against a subject of
// subjectBytes bytes; unanchored searches try every start position.
double PatternWorstCaseSteps(std::string_view pattern, size_t subjectBytes);

// Replaces find, match, gmatch and gsub of the string table (which strings
// reach as methods too) by guarded calls.
void QavGuardPatternFunctions(lua_State* L);

}  // namespace qav
