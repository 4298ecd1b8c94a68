// The query road: a UTF-8 query (a sentence of the query language or a Lua
// program) becomes a program, runs in a fresh search object, and its result
// or its Lua error becomes the UTF-8 answer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "include/qavlib.h"

namespace qav {

// Longest answer, in bytes; a buffer of QAV_MAX_ANSWER_BYTES holds it and
// its terminating NUL.
constexpr size_t kMaxAnswerBytes = QAV_MAX_ANSWER_BYTES - 1;
// Characters of a Lua error text that are converted into the answer.
constexpr size_t kMaxErrorChars = 102399;

// Approximate-result limit given by the query prefix of this thread's
// current query; nothing in the engine reads it.
extern thread_local int g_nApproxLimit;

// The "~N,M:" prefix of a query. It counts only when the text starts with
// "~" and a ":" follows with at least one character between them; then N
// (when above 0) is the approximate limit, M after a "," before the ":"
// (when above 0) the time limit in ms, and the query is what follows the ":".
struct QueryPrefix {
    int approxLimit = 0;
    int timeoutMs = 0;
    std::string_view query;
};
QueryPrefix ParseQueryPrefix(std::string_view text);

// The query road of the HTTP workers: reads the prefix into this thread's
// time limit (0 when none) and approximate limit, starts the query clock,
// and runs the rest with the parser script "utils/Parser.lua" under the
// working directory. Returns the answer's length.
long RunQAV(const char* query, std::string& answer);

// Runs a GBK query: a text with a line break as a program, any other through
// Query2LUA with parserFile. A program holding "--Lua" is the answer itself
// (in UTF-8) and is not run. A query longer than kMaxQueryBytes is refused
// with a JSON error, never cut. The answer is replaced.
void RunQueryText(const std::string& gbkQuery, const std::string& parserFile, std::string& answer);

// Empties the answer and runs the program with the offline runner; indexDir
// is not used. Always true.
bool RunAS(const std::string& program, const std::string& indexDir, std::string& answer);

// Runs a GBK program on the calling thread in a fresh search object of the
// structured engine, under the thread's query deadline and the configured
// memory cap (query_bounds.h), and appends to the answer the last value it
// returns when that is a string or a number (in UTF-8: a result that is not
// valid UTF-8 is converted from GBK), its Lua error converted to UTF-8, or a
// JSON error when it passed a bound. Appends
// nothing when no structured engine with a word list is loaded. An addition
// that would make the answer longer than kMaxAnswerBytes is replaced by a
// message saying so.
void Offline_AS_Thread(const std::string& program, std::string& answer);

// RunQAV over a parameter record.
struct _SEARCH_PARAM {
    std::string query;   // UTF-8
    std::string result;  // UTF-8
};
void qav_query_struct(_SEARCH_PARAM& param);

}  // namespace qav
