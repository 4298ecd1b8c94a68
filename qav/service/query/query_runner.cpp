#include "qav/service/query/query_runner.h"

#include <malloc.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include <lua.hpp>

#include "qav/fulltext/search/bm_search.h"
#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/qav_search.h"
#include "qav/search/filter/query_time.h"
#include "qav/service/query/json_string.h"
#include "qav/service/lua/lua_limits.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/query/query2lua.h"
#include "qav/service/lua/query_bounds.h"
#include "qav/service/query/text_convert.h"
#include "qav/service/query/utf8_check.h"
#include "qav/service/lua/query_state.h"

namespace qav {

thread_local int g_nApproxLimit = 0;

namespace {

// A program whose state grew past this hands its memory back to the system
// when the state is closed: the allocator keeps freed memory otherwise.
constexpr size_t kTrimAfterBytes = size_t{64} << 20;

// Leading decimal number as atoi reads it, held within int.
int LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

// Appends text unless the answer would grow past kMaxAnswerBytes; then the
// answer gets a message instead (a cut answer could look whole).
void AppendBounded(std::string& answer, std::string_view text) {
    if (answer.size() + text.size() <= kMaxAnswerBytes) {
        answer.append(text);
        return;
    }
    const std::string message = "error: the answer of the query is longer than " +
                                std::to_string(kMaxAnswerBytes) + " bytes; it is not returned";
    if (answer.size() + message.size() <= kMaxAnswerBytes) answer.append(message);
}

// The Lua error on top of the stack, as the library's GBK text.
std::string_view ErrorText(lua_State* L) {
    size_t length = 0;
    if (const char* text = lua_tolstring(L, -1, &length)) return {text, length};
    return "(error object is not a string)";
}

// The answer of a run that passed one of its bounds.
std::string BreachAnswer(lua_State* L, LuaBreach breach) {
    std::string text;
    switch (breach) {
        case LuaBreach::kTime:
            text = "time limit: the query ran longer than " + std::to_string(QavQueryTimeLimitMs()) + " ms";
            break;
        case LuaBreach::kMemory:
            text = "memory limit: the query needed more than " + std::to_string(QavLuaMemoryLimit(L) >> 20) + " MB";
            break;
        case LuaBreach::kPattern:
        case LuaBreach::kCancelled:
        case LuaBreach::kNone:
            text = QavLuaBreachText(L);
            break;
    }
    return QavJsonError(text);
}

// A program's string result in UTF-8. The query functions give UTF-8 (the
// JSON of Output) or GBK (texts of the index), and a program's own literals
// are GBK; a result that is valid UTF-8 is taken as such, any other as GBK.
std::string ResultInUtf8(std::string_view result) {
    if (IsValidUtf8(result)) return std::string(result);
    return QavGbkToUtf8(result, kWholeText);
}

bool StructuredEngineReady() {
    return g_nEngineType == kEngineStructured && g_pCQAVEngine && g_pCQAVEngine->m_pWordList &&
           g_pCQAVEngine->m_pWordList->length() > 0;
}

// "utils/Parser.lua" under the working directory.
std::string WorkingDirParser() {
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    return error ? std::string("utils/Parser.lua") : (cwd / "utils/Parser.lua").string();
}

}  // namespace

QueryPrefix ParseQueryPrefix(std::string_view text) {
    QueryPrefix prefix;
    prefix.query = text;
    const size_t colon = text.find(':');
    if (text.empty() || text[0] != '~' || colon == std::string_view::npos || colon < 2) return prefix;
    const std::string_view head = text.substr(1, colon - 1);
    const int approx = LeadingNumber(head);
    if (approx > 0) prefix.approxLimit = approx;
    const size_t comma = head.find(',');
    if (comma != std::string_view::npos) {
        const int timeout = LeadingNumber(head.substr(comma + 1));
        if (timeout > 0) prefix.timeoutMs = timeout;
    }
    prefix.query = text.substr(colon + 1);
    return prefix;
}

namespace {

// Runs program in L under the query's deadline and appends what it answers:
// a bound's message, the error text, or the web output of a full-text search
// (webOut, may be null) followed by the program's string result.
void RunProgram(lua_State* L, const std::string& program, const std::string* webOut, std::string& answer) {
    lua_settop(L, 0);
    QavStartLuaDeadline(L, QavQueryDeadline());
    // Text chunks only: a binary chunk from outside can break the interpreter.
    int status = luaL_loadbufferx(L, program.data(), program.size(), program.c_str(), "t");
    if (status == LUA_OK) status = lua_pcall(L, 0, LUA_MULTRET, 0);
    const LuaBreach breach = QavLuaBreach(L, status);
    if (breach != LuaBreach::kNone) {
        AppendBounded(answer, BreachAnswer(L, breach));
    } else if (status != LUA_OK) {
        AppendBounded(answer, QavGbkToUtf8(ErrorText(L), kMaxErrorChars));
    } else {
        if (webOut && !webOut->empty()) AppendBounded(answer, ResultInUtf8(*webOut));
        if (lua_gettop(L) > 0 && lua_isstring(L, -1)) {
            size_t length = 0;
            const char* text = lua_tolstring(L, -1, &length);
            AppendBounded(answer, ResultInUtf8({text, length}));
        }
    }
    lua_settop(L, 0);
}

bool FullTextEngineReady() { return g_nEngineType == kEngineFullText && g_pBMEngine && g_pBMEngine->m_pHashTable; }

// A program on a full-text search object of its own, which lives as long as
// the run; its page, sort and count answers come before its result.
void RunOnFullTextEngine(const std::string& program, std::string& answer) {
    CBMSearch search;
    std::unique_ptr<lua_State, decltype(&lua_close)> state(nullptr, lua_close);
    if (search.BMSearchInit()) state.reset(NewFullTextQueryState(&search));
    if (!state) {
        AppendBounded(answer, "error: no memory to set up the search");
    } else {
        lua_setwebbuff(state.get(), nullptr);
        RunProgram(state.get(), program, &search.m_WebOut, answer);
        const size_t peak = QavLuaPeakBytes(state.get());
        state.reset();
        if (peak > kTrimAfterBytes) malloc_trim(0);
    }
    search.BMSearchExit();
}

}  // namespace

void Offline_AS_Thread(const std::string& program, std::string& answer) {
    if (FullTextEngineReady()) {
        RunOnFullTextEngine(program, answer);
        return;
    }
    if (!StructuredEngineReady()) return;
    auto search = std::make_unique<CQAVSearch>(NewQueryState);
    if (!search->QAVSearchInit(false)) {
        AppendBounded(answer, "error: no memory to set up the search");
        search->QAVSearchExit();
        return;
    }
    lua_State* L = search->LuaState();
    lua_setwebbuff(L, nullptr);
    RunProgram(L, program, nullptr, answer);
    const size_t peak = QavLuaPeakBytes(L);
    search->QAVSearchExit();
    if (peak > kTrimAfterBytes) malloc_trim(0);
}

bool RunAS(const std::string& program, const std::string& /*indexDir*/, std::string& answer) {
    answer.clear();
    Offline_AS_Thread(program, answer);
    return true;
}

void RunQueryText(const std::string& gbkQuery, const std::string& parserFile, std::string& answer) {
    answer.clear();
    if (gbkQuery.size() > kMaxQueryBytes) {
        answer = QavJsonError("the query is " + std::to_string(gbkQuery.size()) + " bytes long in GBK, more than " +
                              std::to_string(kMaxQueryBytes) + "; it is not run");
        return;
    }
    if (gbkQuery.find('\n') != std::string::npos) {
        RunAS(gbkQuery, "", answer);
        return;
    }
    std::string program;
    std::string refusal;
    const bool translated = Query2LUA(gbkQuery, parserFile, program, refusal);
    if (!translated && std::chrono::steady_clock::now() >= QavQueryDeadline()) {
        answer = QavJsonError("time limit: the query ran longer than " + std::to_string(QavQueryTimeLimitMs()) +
                              " ms");
    } else if (!refusal.empty()) {
        answer = refusal;
    } else if (program.find("--Lua") != std::string::npos) {
        AppendBounded(answer, QavGbkToUtf8(program, program.size()));
    } else {
        RunAS(program, "", answer);
    }
}

long RunQAV(const char* query, std::string& answer) {
    answer.clear();
    const QueryPrefix prefix = ParseQueryPrefix(query ? query : "");
    g_nApproxLimit = prefix.approxLimit;
    g_nQueryTimeoutMs = prefix.timeoutMs;
    g_queryStartTime = std::chrono::steady_clock::now();
    RunQueryText(QavUtf8ToGbk(prefix.query, kWholeText), WorkingDirParser(), answer);
    return static_cast<long>(answer.size());
}

void qav_query_struct(_SEARCH_PARAM& param) {
    std::string answer;
    RunQAV(param.query.c_str(), answer);
    param.result = std::move(answer);
}

}  // namespace qav
