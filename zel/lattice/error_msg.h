// The grammar library's error texts: the exported g_szMsg that a host may
// read (filled by ErrorMsg, emptied by ClearErrorMsg), and the larger message
// log of the lattice and rule code (filled by _ErrorMsg, never emptied by
// the reporters).
#pragma once

#include <cstddef>

#include "zellib.h"

constexpr size_t kErrorMsgSize = ZEL_ERROR_MSG_SIZE;

namespace zel {

constexpr size_t kMessageLogSize = 10485760;
// ErrorMsg stops taking messages once g_szMsg holds more than this.
constexpr size_t kErrorMsgLimit = 10240;

void ClearErrorMsg();
// Appends text to g_szMsg and prints it with a line break, unless g_szMsg
// already holds more than kErrorMsgLimit characters.
void ErrorMsg(const char* text);
// Formats format with its one argument, appends it and "<br/>" to the
// message log and prints it; returns what printing returns.
int _ErrorMsg(const char* format, const char* argument);
// The message log (kMessageLogSize bytes), given to Lua as a message buffer
// by the Lua-file runner.
char* MessageLog();

}  // namespace zel
