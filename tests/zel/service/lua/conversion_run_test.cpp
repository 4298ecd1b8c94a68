#include <gtest/gtest.h>

#include <string>

#include "tests/zel/service/lua/action_fixture.h"
#include "zel/lattice/lua_slots.h"
#include "zel/service/image_folder.h"
#include "zel/service/web_request.h"

namespace zel {
namespace {

using Conversions = ActionTest;

TEST_F(Conversions, EncodingsRoundTripAndWidthsAreBounded) {
    EXPECT_EQ(Eval("UTF82GB(GB2UTF8('我们喜欢苹果 ok')) == '我们喜欢苹果 ok'"), "true");
    // GB2UTF8 gives UTF-8 bytes, which the fixture reads back as GBK.
    Run("u = GB2UTF8('苹果')");
    EXPECT_EQ(Eval("#u"), "6");
    EXPECT_EQ(Eval("Ban2Quan('ab 1')"), "ａｂ　１");
    EXPECT_EQ(Eval("Quan2Ban(Ban2Quan('ab 1$'))"), "ab 1$");
    EXPECT_EQ(Eval("#Ban2Quan(string.rep('a', 20000)) <= 10239"), "true");
    EXPECT_EQ(Eval("#Quan2Ban(string.rep('ａ', 12000))"), "10240");
    const struct {
        const char* code;
        const char* printed;
    } cases[] = {
        {"assert(GB2UTF8() == '')", "GB2UTF8 Param Error!\n"},
        {"assert(UTF82GB('a', 'b') == '')", "UTF82GB Param Error!\n"},
        {"assert(Ban2Quan({}) == '')", "Ban2Quan Param Error!\n"},
        {"assert(Quan2Ban() == '')", "Quan2Ban Param Error!\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Printed(c.code), c.printed) << c.code;
}

using Returns = ActionTest;

TEST_F(Returns, ReturnTextIsSetAndTakenOnce) {
    EXPECT_EQ(Eval("Return(2, {'a', 'b'})"), "true");
    EXPECT_EQ(Eval("GetReturn()"), "a|b|");
    EXPECT_EQ(Eval("GetReturn()"), "");
    Run("Return(42)");
    EXPECT_EQ(lattice.returnText, "42");
    Run("Return(0, {'a'})");
    EXPECT_EQ(lattice.returnText, "");
    Run("Return('x') Return(3, {'a', {}, 7})");
    EXPECT_EQ(lattice.returnText, "a|7|");
    Run("Return({})");
    EXPECT_EQ(lattice.returnText, "a|7|");
}

TEST_F(Returns, WebPrintWritesOnlyInsideARequest) {
    Run("Return('back')");
    EXPECT_EQ(Eval("WebPrint('line')"), "0");
    ZelWebRequest request;
    lua_setweb(L, &request);
    EXPECT_EQ(Eval("WebPrint('line')"), "0");
    Run("WebPrint()");
    EXPECT_EQ(request.out, "line\r\nback\r\n");
    lua_setweb(L, nullptr);
}

// A bounded answer ends with the last whole line that fits; nothing after
// the first line left out joins it, even a shorter one.
TEST_F(Returns, WebPrintCutsABoundedAnswerAtAWholeLine) {
    ZelWebRequest request;
    request.limit = 10;
    lua_setweb(L, &request);
    Run("WebPrint('abcd') WebPrint('efgh') WebPrint('i')");
    EXPECT_EQ(request.out, "abcd\r\n");
    EXPECT_TRUE(request.full);
    request = ZelWebRequest();
    request.limit = 12;
    Run("WebPrint('abcd') WebPrint('efgh')");
    EXPECT_EQ(request.out, "abcd\r\nefgh\r\n");
    EXPECT_FALSE(request.full);
    lua_setweb(L, nullptr);
}

TEST_F(Returns, ImageFolderDefaultsToTheWorkingFolder) {
    EXPECT_EQ(Eval("GetGraphPath()"), ".");
    g_szImgPathName = "./output";
    EXPECT_EQ(Eval("GetGraphPath()"), "./output");
    g_szImgPathName.clear();
}

}  // namespace
}  // namespace zel
