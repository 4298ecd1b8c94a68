#include <gtest/gtest.h>

#include <lua.hpp>

#include <memory>
#include <string>
#include <vector>

#include "zel/lattice/error_msg.h"
#include "zel/lattice/lua_slots.h"
#include "zel/lattice/lua_state.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/lattice/text_wrappers.h"

namespace zel {
namespace {

struct LuaCloser {
    void operator()(lua_State* L) const { lua_close(L); }
};
using LuaPtr = std::unique_ptr<lua_State, LuaCloser>;

std::vector<std::string> g_hookLines;
void RecordLine(const char* line) { g_hookLines.push_back(line); }

// A lattice state whose printed lines are recorded.
class PrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_hookLines.clear();
        SetPrintLineHook(RecordLine);
        L.reset(NewLatticeLuaState());
        ASSERT_TRUE(L);
    }
    void TearDown() override { SetPrintLineHook(nullptr); }

    // Runs code; returns the error text, empty on success.
    std::string Run(const char* code) {
        if (luaL_dostring(L.get(), code) == LUA_OK) return "";
        std::string error = lua_tostring(L.get(), -1);
        lua_pop(L.get(), 1);
        return error;
    }

    LuaPtr L;
};

TEST_F(PrintTest, CopiesCallsIntoTheMessageBufferAndHook) {
    std::vector<char> buffer(64, '\0');
    lua_setmsgbuff(L.get(), buffer.data(), buffer.size());
    ASSERT_EQ(Run("print('a','b') print('c') print(1, nil, true) print()"), "");
    EXPECT_STREQ(buffer.data(), "a/b/c/1/nil/true//");
    EXPECT_EQ(g_hookLines, (std::vector<std::string>{"a\tb", "c", "1\tnil\ttrue", ""}));
}

TEST_F(PrintTest, FailuresAndLimits) {
    // Without a message buffer the hook still gets the line.
    ASSERT_EQ(Run("print('x')"), "");
    EXPECT_EQ(g_hookLines, (std::vector<std::string>{"x"}));

    EXPECT_NE(Run("tostring = function() return {} end print(1)").find(
                  "'tostring' must return a string to 'print'"),
              std::string::npos);
    EXPECT_EQ(g_hookLines.size(), 1u);

    // A small buffer is never overrun: a value that does not fit stops print,
    // and a buffer too full for the closing "/" is emptied.
    LuaPtr fresh(NewLatticeLuaState());
    std::vector<char> small(8, '\0');
    lua_setmsgbuff(fresh.get(), small.data(), small.size());
    EXPECT_NE(luaL_dostring(fresh.get(), "print('abcdefgh')"), LUA_OK);
    EXPECT_NE(std::string(lua_tostring(fresh.get(), -1)).find("Too long"), std::string::npos);
    EXPECT_STREQ(small.data(), "");
    lua_pop(fresh.get(), 1);
    EXPECT_EQ(luaL_dostring(fresh.get(), "print('abcdef')"), LUA_OK);
    EXPECT_STREQ(small.data(), "abcdef/");
    EXPECT_EQ(luaL_dostring(fresh.get(), "print()"), LUA_OK);
    EXPECT_STREQ(small.data(), "");  // emptied: no room for the "/"

    // Emptied by its owner between calls, the buffer is measured afresh.
    EXPECT_EQ(luaL_dostring(fresh.get(), "print('ab')"), LUA_OK);
    small[0] = '\0';
    EXPECT_EQ(luaL_dostring(fresh.get(), "print('c')"), LUA_OK);
    EXPECT_STREQ(small.data(), "c/");
}

TEST(GrammarLuaSlots, EachStateAndCoroutineHasItsOwn) {
    LuaPtr L(NewLatticeLuaState());
    int lattice = 0, net = 0, web = 0;
    char buffer[4] = "";
    EXPECT_EQ(lua_getlattiace(L.get()), nullptr);
    lua_setlattiace(L.get(), &lattice);
    lua_setnet(L.get(), &net);
    lua_setweb(L.get(), &web);
    lua_setmsgbuff(L.get(), buffer, sizeof buffer);
    EXPECT_EQ(lua_getlattiace(L.get()), &lattice);
    EXPECT_EQ(lua_getnet(L.get()), &net);
    EXPECT_EQ(lua_getweb(L.get()), &web);
    EXPECT_EQ(lua_getmsgbuff(L.get()), buffer);

    lua_State* thread = lua_newthread(L.get());
    EXPECT_EQ(lua_getlattiace(thread), nullptr);
    EXPECT_EQ(lua_getnet(thread), nullptr);
    EXPECT_EQ(lua_getweb(thread), nullptr);
    EXPECT_EQ(lua_getmsgbuff(thread), nullptr);
    lua_setnet(thread, &web);
    EXPECT_EQ(lua_getnet(thread), &web);
    EXPECT_EQ(lua_getnet(L.get()), &net);
    lua_pop(L.get(), 1);
}

TEST(LuaJson, RegistJsonSetsTheModuleFunctions) {
    LuaPtr L(NewLatticeLuaState());
    EXPECT_EQ(RegistJson(L.get()), 1);
    EXPECT_EQ(lua_gettop(L.get()), 0);
    ASSERT_EQ(luaL_dostring(L.get(), "return encode == cjson.encode and decode(encode({a=1})).a == 1"),
              LUA_OK);
    EXPECT_TRUE(lua_toboolean(L.get(), -1));
}

TEST(ErrorMessages, ExportedBufferStopsTakingMessagesPastItsLimit) {
    ClearErrorMsg();
    ErrorMsg("x");
    EXPECT_STREQ(g_szMsg, "x");

    ClearErrorMsg();
    std::string full(kErrorMsgLimit, 'a');
    ErrorMsg(full.c_str());
    ErrorMsg("b");  // held exactly 10,240: still appended
    EXPECT_EQ(std::string(g_szMsg).size(), kErrorMsgLimit + 1);
    ErrorMsg("c");  // held 10,241: dropped
    EXPECT_EQ(std::string(g_szMsg).size(), kErrorMsgLimit + 1);

    // A message longer than the rest of the buffer is cut at its end.
    ClearErrorMsg();
    ErrorMsg(std::string(kErrorMsgSize * 2, 'z').c_str());
    EXPECT_EQ(std::string(g_szMsg).size(), kErrorMsgSize - 1);
    ClearErrorMsg();
}

TEST(ErrorMessages, MessageLogAppendsWithBreakTag) {
    std::string before = MessageLog();
    _ErrorMsg("Error read %s\n", "a.net");
    EXPECT_EQ(std::string(MessageLog()), before + "Error read a.net\n<br/>");
}

TEST(TextWrappers, ConvertWholeCharactersWithinTheCapacity) {
    char out[kConvertSize];
    EXPECT_EQ(GBK2UTF8("\xD6\xD0\xCE\xC4", out), 6);
    EXPECT_STREQ(out, "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(UTF8_2_GBK("\xE4\xB8\xAD\xE6\x96\x87", out), 4);
    EXPECT_STREQ(out, "\xD6\xD0\xCE\xC4");

    // 30,000 GBK characters need 90,000 bytes of UTF-8: cut after the last
    // whole character that fits, and terminated.
    std::string gbk;
    for (int i = 0; i < 30000; ++i) gbk += "\xD6\xD0";
    EXPECT_EQ(GBK2UTF8(gbk.c_str(), out), 90000);
    EXPECT_EQ(std::string(out).size(), 65535u - 65535u % 3);
}

}  // namespace
}  // namespace zel
