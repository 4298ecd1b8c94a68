// Translation of a query sentence into a Lua program by the parser script's
// function Parser, in a parser state that each thread keeps for its life.
#pragma once

#include <cstddef>
#include <string>

struct lua_State;

namespace qav {

// Longest query and generated program, in GBK bytes.
constexpr size_t kMaxQueryBytes = 10239;
constexpr size_t kMaxProgramBytes = 10239;

// Calls Parser(query, language, 3) of the script parserFile in this thread's
// parser state, loading the script first when the thread has no state for
// that path (a changed file is not reread while the path stays the same).
// query is GBK; language is 1 for a Chinese engine or none, 0 for English.
// True with the program (GBK) when Parser returned a string. A failure is
// logged and leaves program empty; refusal holds a UTF-8 message when the
// program was refused as longer than kMaxProgramBytes (it is never cut), and
// is empty otherwise.
bool Query2LUA(const std::string& query, const std::string& parserFile, std::string& program,
               std::string& refusal);

// Lua functions of the parser state: the one string argument converted from
// UTF-8 to GBK, or from GBK to UTF-8, at most kMaxProgramBytes bytes (cut
// after the last whole character). Any other arguments are logged and give
// the empty string.
int LuaUTF82GB(lua_State* L);
int LuaGB2UTF8(lua_State* L);

// Makes this thread drop its parser state without closing it, so that the
// next query builds a fresh one. For a thread that left a Lua call abruptly
// (a crash signal): such a state must not be used or closed again. It is
// kept, unused, until the process ends.
void QavAbandonParserState();

}  // namespace qav
