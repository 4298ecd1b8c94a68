// Query functions that test units and words of the index and set up a search:
// its source prefixes, capacities, condition, filter, limits and base set.
#include <algorithm>
#include <string>

#include <lua.hpp>

#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/engine_views.h"
#include "qav/search/merge/for_merge.h"
#include "qav/search/merge/join_relation.h"
#include "qav/search/qav_search.h"
#include "qav/service/lua/lua_query_functions.h"
#include "qav/service/lua/query_functions_fulltext.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_args.h"

namespace qav {

namespace {

// Unit keys are formed in a 1,024-byte buffer: at most 1,023 bytes are kept.
constexpr size_t kMaxUnitKeyBytes = 1023;

bool IsUnitKey(const CQAVEngine& engine, std::string key) {
    if (key.size() > kMaxUnitKeyBytes) key.resize(kMaxUnitKeyBytes);
    return engine.m_unitTable.IsInHash(key);
}

// The engine behind a structured search that can answer unit and word
// tests; null when the form is not one string or there is no such search.
CQAVEngine* UnitTestEngine(lua_State* L) {
    if (!QavStructuredSearch(L) || lua_gettop(L) != 1 || !IsStringArg(L, 1)) return nullptr;
    return g_pCQAVEngine;
}

}  // namespace

int LuaIsTag(lua_State* L) {
    CQAVEngine* engine = UnitTestEngine(L);
    if (!engine) return PushInteger(L, 0);
    return PushInteger(L, IsUnitKey(*engine, std::string("$") + lua_tostring(L, 1)) ? 1 : 0);
}

int LuaIsPOS(lua_State* L) {
    CQAVEngine* engine = UnitTestEngine(L);
    if (!engine) return PushInteger(L, 0);
    const char* tag = lua_tostring(L, 1);
    if (IsUnitKey(*engine, std::string("|") + tag)) return PushInteger(L, 0);
    return PushInteger(L, IsUnitKey(*engine, std::string(tag) + "|") ? 1 : 0);
}

int LuaIsWord(lua_State* L) {
    CQAVEngine* engine = UnitTestEngine(L);
    if (!engine || !engine->m_pWordList) return PushInteger(L, 0);
    return PushInteger(L, engine->m_pWordList->Word2No(lua_tostring(L, 1)) != -1 ? 1 : 0);
}

int LuaOriOn(lua_State* L) {
    if (CQAVSearch* search = QavStructuredSearch(L)) search->m_bOriOn = 1;
    return 0;
}

int LuaClearSearch(lua_State* L) {
    if (CQAVSearch* search = QavStructuredSearch(L)) search->Clear();
    return 0;
}

// Capacities divided by k, out of the configured sizes the slots were set up
// with; the buffers keep their size, and a slot without a buffer stays at 0.
// A k below 1 would divide by zero or raise the capacities beyond the
// buffers, so it is ignored.
int LuaSpeedup(lua_State* L) {
    if (lua_gettop(L) != 1) return 0;
    const lua_Integer k = luaL_checkinteger(L, 1);
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search || !g_pCQAVEngine || k < 1) return 0;
    const CSizeInfo& sizes = g_pCQAVEngine->m_config.m_SizeInfo;
    const auto divided = [k](int32_t size) { return static_cast<int>(std::max<lua_Integer>(size, 0) / k); };
    for (CAtomRet& slot : search->m_AtomRet)
        if (slot.Handle() != 0) slot.m_nCapacity = divided(sizes.MaxAtomSearchRetSize);
    for (CQAVRet& slot : search->m_QAVRet)
        if (slot.Handle() != 0) slot.m_nCapacity = divided(sizes.RetInfoMaxSize);
    search->m_FinalRect.m_nCapacity = divided(sizes.RetBuffSize);
    return 0;
}

int LuaCondition(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextCondition(L, *bm);
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search) return PushNil(L);
    const char* text = lua_gettop(L) == 1 && IsStringArg(L, 1) ? lua_tostring(L, 1) : "";
    search->m_ConditionText = text;
    search->m_Condition.SetCondition(text);
    return PushNil(L);
}

int LuaFilter(lua_State* L) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search) return PushInteger(L, 0);
    uint64_t handle = 0;
    const char* text = "";
    int mode = 1;
    if (lua_gettop(L) == 3 && IsIntegerArg(L, 1) && IsStringArg(L, 2) && IsIntegerArg(L, 3)) {
        handle = HandleArg(L, 1);
        text = lua_tostring(L, 2);
        mode = static_cast<int>(IntegerArg(L, 3));
    }
    search->m_ConditionText = text;
    search->m_Condition.ClearFilter();
    search->m_Condition.SetFilter(text, mode);
    const CQAVRet* out = search->GetFilterRet(handle);
    return PushHandle(L, out ? out->Handle() : 0);
}

int LuaAddLimit(lua_State* L) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search || lua_gettop(L) != 2 || !AllIntegerArgs(L, 2)) return 0;
    search->Add2Limit({IntegerArg(L, 1), IntegerArg(L, 2)});
    return 0;
}

int LuaClearLimit(lua_State* L) {
    if (CQAVSearch* search = QavStructuredSearch(L)) search->ClearLimit();
    return 0;
}

int LuaSetBase(lua_State* L) {
    if (CBMSearch* bm = QavFullTextSearch(L)) return FullTextSetBase(L, *bm);
    CQAVSearch* search = QavStructuredSearch(L);
    const int count = lua_gettop(L);
    if (!search || (count != 1 && count != 3) || !AllIntegerArgs(L, count)) return 0;
    const uint64_t handle = HandleArg(L, 1);
    const bool keep = count == 1 || IntegerArg(L, 2) != 1;
    const bool variant = count == 1 || IntegerArg(L, 3) != 0;
    if (handle != 0) search->m_Condition.SetBase(*search, handle, keep, variant);
    search->m_Condition.Clear();
    return 0;
}

// GetAS(unit[, pattern[, w1..w4]]) or GetAS(unit, pattern, w1..w4, b1..b4);
// the texts are read without a type test. Other argument counts search with
// six empty texts.
int LuaGetAS(lua_State* L) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search) return PushInteger(L, 0);
    const int count = lua_gettop(L);
    const bool withBrackets = count == 10;
    const char* texts[10] = {"", "", "", "", "", "", nullptr, nullptr, nullptr, nullptr};
    if ((count >= 1 && count <= 6) || withBrackets)
        for (int i = 0; i < count; ++i) texts[i] = luaL_checkstring(L, i + 1);
    CAtomSearchQuery query;
    query.SetAtomSearchQueryEx(MakeAtomQueryEnv(g_pCQAVEngine), texts[0], texts[1], texts[2], texts[3], texts[4],
                               texts[5], texts[6], texts[7], texts[8], texts[9]);
    const CAtomRet* slot = search->AtomSearch(query);
    return PushHandle(L, slot ? slot->Handle() : 0);
}

int LuaJoinAS(lua_State* L) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search || lua_gettop(L) != 3) return PushInteger(L, 0);
    uint64_t left = 0;
    uint64_t right = 0;
    int code = 0;
    if (IsIntegerArg(L, 1) && IsIntegerArg(L, 2) && IsStringArg(L, 3)) {
        left = HandleArg(L, 1);
        right = HandleArg(L, 2);
        code = JoinRelationCode(lua_tostring(L, 3));
    }
    const CQAVRet* out = search->MergeSearch(left, right, code);
    return PushHandle(L, out ? out->Handle() : 0);
}

namespace {

// AND, OR and NOT (h1, h2, x): x = 0 merges by document, any other value by
// sentence.
int SetMerge(lua_State* L, int type) {
    CQAVSearch* search = QavStructuredSearch(L);
    if (!search || lua_gettop(L) != 3 || !AllIntegerArgs(L, 3)) return PushInteger(L, 0);
    const CQAVRet* out = search->MergeRet(HandleArg(L, 1), HandleArg(L, 2), type, IntegerArg(L, 3) == 0);
    return PushHandle(L, out ? out->Handle() : 0);
}

}  // namespace

int LuaAND(lua_State* L) {
    if (CBMSearch* search = QavFullTextSearch(L)) return FullTextAND(L, *search);
    return SetMerge(L, kMergeAnd);
}
int LuaOR(lua_State* L) {
    if (CBMSearch* search = QavFullTextSearch(L)) return FullTextOR(L, *search);
    return SetMerge(L, kMergeOr);
}
int LuaNOT(lua_State* L) {
    if (CBMSearch* search = QavFullTextSearch(L)) return FullTextNOT(L, *search);
    return SetMerge(L, kMergeNot);
}

// Searches of the full-text engine only.
int LuaShould(lua_State* L) { return FullTextShould(L); }
int LuaMust(lua_State* L) { return FullTextMust(L); }
int LuaBM25Doc(lua_State* L) { return FullTextBM25Doc(L); }
int LuaTerm2Doc(lua_State* L) { return FullTextTerm2Doc(L); }
int LuaBM25Term(lua_State* L) { return FullTextBM25Term(L); }

}  // namespace qav
