// Pointer slots of the library's Lua states.
#include <gtest/gtest.h>

#include <string>

#include <lua.hpp>

#include "qav/index/base/config.h"
#include "qav/search/qav_search.h"
#include "qav/service/lua/lua_slots.h"
#include "qav/service/lua/query_state.h"

namespace {

struct StateCloser {
    void operator()(lua_State* L) const { lua_close(L); }
};
using StatePtr = std::unique_ptr<lua_State, StateCloser>;

// Runs a chunk that returns one string; the chunk's error text otherwise.
std::string RunForText(lua_State* L, const char* code) {
    if (luaL_dostring(L, code) != LUA_OK) return std::string("error: ") + lua_tostring(L, -1);
    std::string text = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(not a string)";
    lua_settop(L, 0);
    return text;
}

// What the calling thread's slots hold: "s" for a search object, "w" for a
// web handle, "m" for a message buffer, "-" for each empty slot.
int SlotsSeen(lua_State* L) {
    std::string seen;
    seen += lua_getQAVSearch(L) ? "s" : "-";
    seen += lua_getwebbuff(L) ? "w" : "-";
    seen += lua_getmsgbuff(L) ? "m" : "-";
    lua_pushstring(L, seen.c_str());
    return 1;
}

TEST(LuaSlots, FreshStateIsEmptyAndSettersReturnWhatTheyStore) {
    StatePtr state(qav::QavNewLuaState());
    lua_State* L = state.get();
    ASSERT_NE(nullptr, L);
    EXPECT_EQ(nullptr, lua_getQAVSearch(L));
    EXPECT_EQ(nullptr, lua_getwebbuff(L));
    EXPECT_EQ(nullptr, lua_getmsgbuff(L));

    int search = 0, web = 0;
    char message[4] = {};
    EXPECT_EQ(&search, lua_setQAVSearch(L, &search));
    EXPECT_EQ(&web, lua_setwebbuff(L, &web));
    EXPECT_EQ(message, lua_setmsgbuff(L, message));
    EXPECT_EQ(&search, lua_getQAVSearch(L));
    EXPECT_EQ(&web, lua_getwebbuff(L));
    EXPECT_EQ(message, lua_getmsgbuff(L));

    EXPECT_EQ(nullptr, lua_setwebbuff(L, nullptr));
    EXPECT_EQ(nullptr, lua_getwebbuff(L));
    EXPECT_EQ(&search, lua_getQAVSearch(L));

    // Slots survive a full collection.
    lua_gc(L, LUA_GCCOLLECT);
    EXPECT_EQ(&search, lua_getQAVSearch(L));
}

TEST(LuaSlots, SearchSlotRemembersItsEngineKind) {
    qav::CQAVSearch search(qav::NewQueryState);
    ASSERT_TRUE(search.QAVSearchInit(false));
    lua_State* L = search.LuaState();
    EXPECT_EQ(&search, qav::QavStructuredSearch(L));
    EXPECT_EQ(nullptr, qav::QavSearchSlot(L, qav::kEngineFullText));
    EXPECT_EQ(&search, lua_getQAVSearch(L));

    // The kind changed under a running query: the structured search is not
    // handed out as something else, nor while the kind is full-text.
    qav::g_nEngineType = qav::kEngineFullText;
    EXPECT_EQ(nullptr, qav::QavStructuredSearch(L));
    int fullText = 0;
    lua_setQAVSearch(L, &fullText);
    EXPECT_EQ(&fullText, qav::QavSearchSlot(L, qav::kEngineFullText));
    qav::g_nEngineType = qav::kEngineStructured;
    EXPECT_EQ(nullptr, qav::QavStructuredSearch(L));
    search.QAVSearchExit();
}

TEST(LuaSlots, CoroutinesOfAQueryProgramSeeNoSearchObject) {
    qav::CQAVSearch search(qav::NewQueryState);
    ASSERT_TRUE(search.QAVSearchInit(false));
    lua_State* L = search.LuaState();
    int web = 0;
    char message[4] = {};
    lua_setwebbuff(L, &web);
    lua_setmsgbuff(L, message);
    lua_register(L, "SlotsSeen", SlotsSeen);

    EXPECT_EQ("swm", RunForText(L, "return SlotsSeen()"));
    EXPECT_EQ("---", RunForText(L, "local co = coroutine.create(SlotsSeen)\n"
                                   "local ok, seen = coroutine.resume(co)\n"
                                   "return ok and seen or 'failed'"));
    EXPECT_EQ("---", RunForText(L, "return coroutine.wrap(function() return coroutine.wrap(SlotsSeen)() end)()"));
    search.QAVSearchExit();
}

TEST(LuaSlots, ACoroutineGivenSlotsKeepsThemApartFromItsState) {
    StatePtr state(qav::QavNewLuaState());
    lua_State* L = state.get();
    int mainSearch = 0, threadSearch = 0;
    lua_setQAVSearch(L, &mainSearch);
    lua_State* thread = lua_newthread(L);
    EXPECT_EQ(nullptr, lua_getQAVSearch(thread));
    lua_setQAVSearch(thread, &threadSearch);
    EXPECT_EQ(&threadSearch, lua_getQAVSearch(thread));
    EXPECT_EQ(&mainSearch, lua_getQAVSearch(L));
    // A thread made later starts empty again.
    lua_State* later = lua_newthread(L);
    EXPECT_EQ(nullptr, lua_getQAVSearch(later));
    lua_pop(L, 2);
    lua_gc(L, LUA_GCCOLLECT);
    EXPECT_EQ(&mainSearch, lua_getQAVSearch(L));
}

}  // namespace
