// Query functions of the full-text engine: ranked searches, term fetches,
// merges, base set and conditions, and the outputs of its result slots.
// Page, sort and count answers go to the search object's web output, which
// the query runner delivers after the program.
#include "qav/service/lua/query_functions_fulltext.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/file_handle.h"
#include "qav/fulltext/search/bm_search.h"
#include "qav/search/saved_results.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_args.h"

namespace qav {

namespace {

// Records a listing takes at most.
constexpr int64_t kMaxListedRecords = 20000;
// A scored term of BM25Term is cut to this many bytes.
constexpr size_t kMaxTermEntry = 1023;
// A query text read from a file is cut here.
constexpr size_t kMaxQueryFileBytes = 10 << 20;

int32_t Int32Arg(lua_State* L, int index) {
    return static_cast<int32_t>(std::clamp<lua_Integer>(luaL_checkinteger(L, index), INT32_MIN, INT32_MAX));
}

// The query text of a "file" argument: the content of the file of that name
// in the save folder when it opens, else the argument itself. Only plain
// names are looked up, so a query program reads no file outside that folder.
std::string QueryText(const char* argument) {
    const std::string name = argument;
    if (!g_pBMEngine || g_pBMEngine->m_Config.m_FileInfo.SavePath.empty() || !IsPlainFileName(name)) return name;
    qz::FileHandle file = qz::OpenFile(g_pBMEngine->m_Config.m_FileInfo.SavePath + "/" + name, "rb");
    if (!file) return name;
    std::string text(kMaxQueryFileBytes, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    return text;
}

int PushSlot(lua_State* L, const CBMRet* slot) { return PushHandle(L, slot ? static_cast<uint64_t>(slot->handle()) : 0); }

// Should and Must: (file, n).
int KeyWordSearch(lua_State* L, int32_t mode) {
    CBMSearch* search = QavFullTextSearch(L);
    if (!search) return PushInteger(L, 0);
    const char* file = luaL_checkstring(L, 1);
    const int32_t n = Int32Arg(L, 2);
    return PushSlot(L, search->KeyWordSearch(QueryText(file), n, mode));
}

// An integer argument, or 0 for any other value.
int64_t HandleOrZero(lua_State* L, int index) { return IsIntegerArg(L, index) ? IntegerArg(L, index) : 0; }

}  // namespace

int FullTextShould(lua_State* L) { return KeyWordSearch(L, 0); }
int FullTextMust(lua_State* L) { return KeyWordSearch(L, -1); }

int FullTextBM25Doc(lua_State* L) {
    CBMSearch* search = QavFullTextSearch(L);
    if (!search) return PushInteger(L, 0);
    if (lua_gettop(L) == 5) {
        const char* first = luaL_checkstring(L, 1);
        const int32_t firstMode = Int32Arg(L, 2);
        const char* second = luaL_checkstring(L, 3);
        const int32_t secondMode = Int32Arg(L, 4);
        const int32_t n = Int32Arg(L, 5);
        return PushSlot(L, search->BM25(QueryText(first), firstMode, QueryText(second), secondMode, n));
    }
    if (lua_gettop(L) == 3) {
        const char* file = luaL_checkstring(L, 1);
        const int32_t mode = Int32Arg(L, 2);
        const int32_t n = Int32Arg(L, 3);
        return PushSlot(L, search->BM25(QueryText(file), n, mode));
    }
    return PushInteger(L, 0);
}

int FullTextTerm2Doc(lua_State* L) {
    CBMSearch* search = QavFullTextSearch(L);
    if (!search) return PushInteger(L, 0);
    const char* term = luaL_checkstring(L, 1);
    const int64_t handle = lua_gettop(L) >= 2 ? static_cast<int64_t>(luaL_checkinteger(L, 2)) : 0;
    const CBMRet* out = search->GetBMDoc(term, handle);
    return out ? PushSlot(L, out) : PushInteger(L, handle);
}

int FullTextBM25Term(lua_State* L) {
    CBMSearch* search = QavFullTextSearch(L);
    if (!search || lua_gettop(L) != 2) {
        lua_newtable(L);
        return 1;
    }
    const char* file = luaL_checkstring(L, 1);
    const int32_t n = Int32Arg(L, 2);
    std::vector<std::string> entries;
    {
        std::vector<std::string> words;
        std::vector<float> scores;
        search->KeyWord(QueryText(file), n, &words, &scores);
        for (size_t i = 0; i < words.size() && i < scores.size(); ++i) {
            char score[32];
            const int length = std::snprintf(score, sizeof score, "\t%6.4f", static_cast<double>(scores[i]));
            // Each entry is formed in a 1,024-byte buffer.
            entries.push_back(words[i].substr(0, kMaxTermEntry - static_cast<size_t>(length)) + score);
        }
    }
    lua_createtable(L, static_cast<int>(entries.size()), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        lua_pushlstring(L, entries[i].data(), entries[i].size());
        lua_rawseti(L, -2, static_cast<lua_Integer>(i + 1));
    }
    return 1;
}

int FullTextAND(lua_State* L, CBMSearch& search) {
    if (lua_gettop(L) != 2) return PushInteger(L, 0);
    return PushSlot(L, search.GetBMDoc_AND(HandleOrZero(L, 1), HandleOrZero(L, 2)));
}

int FullTextOR(lua_State* L, CBMSearch& search) {
    if (lua_gettop(L) != 2) return PushInteger(L, 0);
    return PushSlot(L, search.GetBMDoc_OR(HandleOrZero(L, 1), HandleOrZero(L, 2)));
}

int FullTextNOT(lua_State* L, CBMSearch& search) {
    if (lua_gettop(L) != 2) return PushInteger(L, 0);
    return PushSlot(L, search.GetBMDoc_NOT(HandleOrZero(L, 1), HandleOrZero(L, 2)));
}

int FullTextSetBase(lua_State* L, CBMSearch& search) {
    if (lua_gettop(L) != 2 || !AllIntegerArgs(L, 2)) return 0;
    search.SetBase(IntegerArg(L, 1), IntegerArg(L, 2) != 1);
    return 0;
}

int FullTextCondition(lua_State* L, CBMSearch& search) {
    int64_t handle = 0;
    const char* text = "";
    int32_t mode = 1;
    const int count = lua_gettop(L);
    if ((count == 2 || count == 3) && IsIntegerArg(L, 1) && IsStringArg(L, 2) && (count == 2 || IsIntegerArg(L, 3))) {
        handle = IntegerArg(L, 1);
        text = lua_tostring(L, 2);
        if (count == 3) mode = static_cast<int32_t>(std::clamp<int64_t>(IntegerArg(L, 3), INT32_MIN, INT32_MAX));
    }
    search.m_Condition.Clear();
    search.m_Condition.SetCondition(text, mode);
    return PushSlot(L, search.GetBMConditionRet(handle));
}

int FullTextSave(lua_State* L, CBMSearch& search) {
    const int count = lua_gettop(L);
    if (count < 2 || count > 3 || !IsStringArg(L, 2)) return PushInteger(L, 0);
    bool written = false;
    if (IsIntegerArg(L, 1) && (count == 2 || IsIntegerArg(L, 3))) {
        const int64_t n = count == 3 ? IntegerArg(L, 3) : -1;
        written = search.SaveRetBuff(IntegerArg(L, 1), lua_tostring(L, 2),
                                     static_cast<int32_t>(std::clamp<int64_t>(n, INT32_MIN, INT32_MAX)));
    } else if (count == 2 && IsStringArg(L, 1)) {
        written = search.SaveRetBuff(std::string(lua_tostring(L, 1)), lua_tostring(L, 2));
    }
    return PushInteger(L, written ? 1 : 0);
}

// Output(h[, n]): "<Total>:count" and the information of the first
// min(n, 20,000) documents of the slot, one line each.
int FullTextOutput(lua_State* L, CBMSearch& search) {
    const int64_t handle = luaL_checkinteger(L, 1);
    const int64_t n = lua_gettop(L) == 2 && IsIntegerArg(L, 2) ? IntegerArg(L, 2) : kMaxListedRecords;
    const CBMRet* slot = search.SlotOf(handle);
    if (!slot) return PushEmptyText(L);
    std::string listing = "<Total>:" + std::to_string(slot->m_nDocNum) + "\n";
    const int64_t count = std::min<int64_t>({slot->m_nDocNum, n, kMaxListedRecords});
    std::string line;
    for (int32_t i = 0; i < count; ++i) {
        search.GetDocInfo(*slot, i, &line);
        listing += line + "\n";
    }
    lua_pushlstring(L, listing.data(), listing.size());
    return 1;
}

// GetRetNum and GetRet read any of the three slots, the third included: a
// merge's output is often there.
int FullTextGetRetNum(lua_State* L, CBMSearch& search) {
    const CBMRet* slot = lua_gettop(L) == 1 && IsIntegerArg(L, 1) ? search.SlotOf(IntegerArg(L, 1)) : nullptr;
    return PushInteger(L, slot ? slot->m_nDocNum : 0);
}

int FullTextGetRet(lua_State* L, CBMSearch& search) {
    std::string text;
    if (lua_gettop(L) == 2 && AllIntegerArgs(L, 2))
        if (const CBMRet* slot = search.SlotOf(IntegerArg(L, 1)))
            search.GetDocInfo(*slot, static_cast<int32_t>(std::clamp<int64_t>(IntegerArg(L, 2), -1, INT32_MAX)), &text);
    lua_pushlstring(L, text.data(), text.size());
    lua_pushinteger(L, 0);
    return 2;
}

// GetOrg(h, n, m, fields) or GetOrg(h, n, fields): page m (0) of n documents.
int FullTextGetOrg(lua_State* L, CBMSearch& search) {
    const int count = lua_gettop(L);
    if (count == 4 && AllIntegerArgs(L, 3) && IsStringArg(L, 4))
        search.GetOrgBuffJSON(IntegerArg(L, 1), Int32Arg(L, 2), Int32Arg(L, 3), lua_tostring(L, 4));
    else if (count == 3 && AllIntegerArgs(L, 2) && IsStringArg(L, 3))
        search.GetOrgBuffJSON(IntegerArg(L, 1), Int32Arg(L, 2), 0, lua_tostring(L, 3));
    return PushEmptyText(L);
}

int FullTextGetID(lua_State* L, CBMSearch& search) {
    if (lua_gettop(L) == 3 && AllIntegerArgs(L, 3))
        search.GetIDBuffJSON(IntegerArg(L, 1), Int32Arg(L, 2), Int32Arg(L, 3));
    return PushEmptyText(L);
}

// GetDocInfo(names, fields[, pageSize, pageNo]): the documents whose names
// begin with one of names, one page of them (all without a page size).
int FullTextGetDocInfo(lua_State* L, CBMSearch& search) {
    const int count = lua_gettop(L);
    const bool paged = count == 4 && IsIntegerArg(L, 3) && IsIntegerArg(L, 4);
    if ((count != 2 && !paged) || !IsStringArg(L, 1) || !IsStringArg(L, 2) || !search.m_pFSTSearch) return PushNil(L);
    // Each call lists the documents of its own names only.
    search.m_pFSTSearch->m_Values.clear();
    search.GetFSTCandidateDoc(lua_tostring(L, 1));
    const std::vector<uint64_t>& values = search.m_pFSTSearch->m_Values;
    const int64_t total = static_cast<int64_t>(values.size());
    const int64_t size = paged ? std::max<int64_t>(0, std::min<int64_t>(total, IntegerArg(L, 3))) : total;
    const int64_t first = paged ? std::max<int64_t>(0, IntegerArg(L, 4)) * size : 0;
    cJSON* root = cJSON_CreateObject();
    cJSON_AddStringToObject(root, "type", "Org");
    cJSON_AddNumberToObject(root, "total", static_cast<double>(total));
    cJSON* res = cJSON_AddArrayToObject(root, "res");
    for (int64_t i = first; i < total && i < first + size; ++i) {
        cJSON* doc = cJSON_CreateObject();
        search.GetDocInfoBuffJSON(static_cast<int64_t>(values[static_cast<size_t>(i)]), lua_tostring(L, 2), doc);
        cJSON_AddItemToArray(res, doc);
    }
    std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_PrintUnformatted(root), cJSON_free);
    if (text) search.m_WebOut += text.get();
    cJSON_Delete(root);
    return PushNil(L);
}

int FullTextSortBy(lua_State* L, CBMSearch& search) {
    if (lua_gettop(L) != 4 || !IsIntegerArg(L, 1) || !IsStringArg(L, 2) || !IsIntegerArg(L, 3) || !IsStringArg(L, 4))
        return PushInteger(L, 0);
    const bool made = search.GetRetSortBy(IntegerArg(L, 1), lua_tostring(L, 2), lua_tostring(L, 4), Int32Arg(L, 3));
    return PushInteger(L, made ? 1 : 0);
}

int FullTextCountBy(lua_State* L, CBMSearch& search) {
    if (lua_gettop(L) != 2 || !IsIntegerArg(L, 1) || !IsStringArg(L, 2)) return PushInteger(L, 0);
    return PushInteger(L, search.GetRetCountBy(IntegerArg(L, 1), lua_tostring(L, 2)) ? 1 : 0);
}

}  // namespace qav
