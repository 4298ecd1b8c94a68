// One call of a function of the parser script in a Lua state of its own,
// made for the call and closed after it (the request translators; the query
// road keeps a state per thread instead, see query2lua.h).
#pragma once

#include <functional>
#include <string>

struct lua_State;

namespace qav {

// "utils/Parser.lua" in the folder of the running executable, whose path the
// symbolic link executableLink holds; under the working directory when that
// path cannot be read (or is too long).
std::string ExecutableParserPath(const char* executableLink = "/proc/self/exe");

// The script the translators call: ExecutableParserPath(), or path when one
// was set (an empty path restores the default).
void SetTranslatorParserScript(const std::string& path);
std::string TranslatorParserScript();

// Loads the script into a new state (standard libraries, UTF82GB, GB2UTF8),
// calls its global function with the arguments pushArguments pushes (it
// returns how many) and takes the one string result. False, with result
// empty, when the call fails or returns no string; each failure is logged.
bool CallParserScript(const char* function, const std::function<int(lua_State*)>& pushArguments,
                      std::string& result);

}  // namespace qav
