// Golden tests of the query language translator utils/Parser.lua: it runs in
// a plain Lua state with the standard libraries and the two converters, as the
// query runners load it.
#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <lua.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "common/text/encoding.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using qztest::Utf8;

constexpr size_t kMaxProgram = 10239;

int Convert(lua_State* L, bool to_gbk) {
    if (lua_gettop(L) != 1 || lua_type(L, 1) != LUA_TSTRING) {
        lua_pushstring(L, "");
        return 1;
    }
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    std::vector<char> out(length * 3 + 1);
    const int capacity = static_cast<int>(out.size());
    const int n = to_gbk ? utf8_to_gbk(text, out.data(), capacity) : gbk_to_utf8(text, out.data(), capacity);
    if (n < 0 || n >= capacity) {
        lua_pushstring(L, "");
    } else {
        lua_pushlstring(L, out.data(), static_cast<size_t>(n));
    }
    return 1;
}

int LuaUtf8ToGbk(lua_State* L) { return Convert(L, true); }
int LuaGbkToUtf8(lua_State* L) { return Convert(L, false); }

std::string ParserPath() { return qztest::DataDir() + "/../../utils/Parser.lua"; }

class ParserScript : public ::testing::Test {
protected:
    void SetUp() override {
        L_ = luaL_newstate();
        luaL_openlibs(L_);
        lua_register(L_, "UTF82GB", LuaUtf8ToGbk);
        lua_register(L_, "GB2UTF8", LuaGbkToUtf8);
        ASSERT_EQ(luaL_dofile(L_, ParserPath().c_str()), LUA_OK) << lua_tostring(L_, -1);
    }
    void TearDown() override { lua_close(L_); }

    // Parser(query, lang, 3) as the runners call it (numbers as floats).
    std::string Translate(const std::string& gbk_query, double lang = 1) {
        lua_getglobal(L_, "Parser");
        lua_pushlstring(L_, gbk_query.data(), gbk_query.size());
        lua_pushnumber(L_, lang);
        lua_pushnumber(L_, 3);
        return Call(3);
    }

    std::string Call(int nargs) {
        if (lua_pcall(L_, nargs, 1, 0) != LUA_OK) {
            ADD_FAILURE() << "Parser raised: " << lua_tostring(L_, -1);
            lua_pop(L_, 1);
            return "";
        }
        EXPECT_EQ(lua_type(L_, -1), LUA_TSTRING);
        size_t n = 0;
        const char* s = lua_tolstring(L_, -1, &n);
        std::string program = s ? std::string(s, n) : std::string();
        lua_pop(L_, 1);
        return program;
    }

    // Runs a program in a fresh state and returns the string it returns.
    static std::string RunProgram(const std::string& program, const std::string& prelude = "") {
        lua_State* L = luaL_newstate();
        luaL_openlibs(L);
        std::string result;
        if (luaL_dostring(L, prelude.c_str()) != LUA_OK ||
            luaL_loadbuffer(L, program.data(), program.size(), "program") != LUA_OK ||
            lua_pcall(L, 0, 1, 0) != LUA_OK) {
            result = std::string("LUA ERROR: ") + lua_tostring(L, -1);
        } else if (lua_type(L, -1) == LUA_TSTRING) {
            result = lua_tostring(L, -1);
        }
        lua_close(L);
        return result;
    }

    static bool Loads(const std::string& program) {
        lua_State* L = luaL_newstate();
        const bool ok = program.find('\0') == std::string::npos && luaL_loadstring(L, program.c_str()) == LUA_OK;
        lua_close(L);
        return ok;
    }

    lua_State* L_ = nullptr;
};

struct Golden {
    const char* query;  // UTF-8; converted to GBK for the call
    int lang;           // 1 Chinese, 0 English
    const char* program;
};

// One case per construct of the language (docs/query-language.md).
const Golden kGolden[] = {
    {"上海", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海..", 1,
     "local h = GetAS(\"<上\",\"上海..\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"..上海", 1,
     "local h = GetAS(\"海>\",\"..上海\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"一座<n>", 1,
     "local h = GetAS(\"座_n|\",\"一座\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"..一座<n>", 1,
     "local h = GetAS(\"座_n|\",\"..一座\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"<v>一座", 1,
     "local h = GetAS(\"|v_一\",\"一座\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"<v>一座..", 1,
     "local h = GetAS(\"|v_一\",\"一座..\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"<n>", 1,
     "local h = GetAS(\"n|\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$NP", 1,
     "local h = GetAS(\"$NP\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$NP=北京", 1,
     "local h = GetAS(\"$NP_京\",\"北京\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$NP=(~)*(~)学生", 1,
     "local h = GetAS(\"$NP_生\",\"学生\",\"\",\"\",\"(~)\",\"(~)\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$NP=(*)北京", 1,
     "local h = GetAS(\"$NP_京\",\"北京\",\"\",\"\",\"(\",\")\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$NP=(~)", 1,
     "local h = GetAS(\"$NP\",\"\",\"\",\"\",\"\",\"(~)\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"~$NP-SBJ~", 1,
     "local h = GetAS(\"$NP-SBJ\",\"\",\"~\",\"~\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"北京$", 1,
     "local h = GetAS(\"京@\",\"北京\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"~(上海)~~", 1,
     "local h = GetAS(\"<上\",\"上海\",\"~(\",\")~~\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"(上海)", 1,
     "local h = GetAS(\"<上\",\"上海\",\"(\",\")\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"一座 围城", 1,
     "local h = GetAS(\"<一\",\"一座\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"Link\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 * 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"*\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 ^ 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"^\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 #ShareTag# 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"ShareTag\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 #ShareQuery# 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"ShareQuery\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 #SameLeft# 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"SameLeft\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 #SameRight# 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"SameRight\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 #Link# 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"Link\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 #samesent# 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"SameSent\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 #InPhrase# 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"InPhrase\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$IP #InChunk# 北京", 1,
     "local h = GetAS(\"$IP\")\n"
     "h = JoinAS(h,GetAS(\"<北\",\"北京\"),\"InChunk\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"<NN> #SameBoundary# 学生", 1,
     "local h = GetAS(\"NN|\")\n"
     "h = JoinAS(h,GetAS(\"<学\",\"学生\"),\"SameBoundary\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"围城/n", 1,
     "local h = GetAS(\"<围\",\"围城\")\n"
     "h = JoinAS(h,GetAS(\"n|\"),\"SameRight\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"~(围城/n)~", 1,
     "local h = GetAS(\"<围\",\"围城\",\"~(\",\")~\")\n"
     "h = JoinAS(h,GetAS(\"n|\",\"\",\"\",\"~\"),\"SameRight\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"结婚 的/uj 人/n", 1,
     "local h = GetAS(\"<结\",\"结婚\")\n"
     "h = JoinAS(h,GetAS(\"<的\",\"的\"),\"Link\")\n"
     "h = JoinAS(h,GetAS(\"uj|\"),\"SameRight\")\n"
     "h = JoinAS(h,GetAS(\"<人\",\"人\"),\"Link\")\n"
     "h = JoinAS(h,GetAS(\"n|\"),\"SameRight\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"(~)北京(~) ~(上海)", 1,
     "local h = GetAS(\"<北\",\"北京\",\"(~)\",\"(~)\")\n"
     "h = JoinAS(h,GetAS(\"<上\",\"上海\",\"~(\",\")\"),\"Link\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 & 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = AND(h,GetAS(\"<围\",\"围城\"),1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 && 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = AND(h,GetAS(\"<围\",\"围城\"),0)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 | 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = OR(h,GetAS(\"<围\",\"围城\"),1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 || 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = OR(h,GetAS(\"<围\",\"围城\"),0)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 ! 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = NOT(h,GetAS(\"<围\",\"围城\"),1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 !! 围城", 1,
     "local h = GetAS(\"<婚\",\"婚姻\")\n"
     "h = NOT(h,GetAS(\"<围\",\"围城\"),0)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"婚姻 & 一座 围城", 1,
     "local h = GetAS(\"<一\",\"一座\")\n"
     "h = JoinAS(h,GetAS(\"<围\",\"围城\"),\"Link\")\n"
     "h = AND(h,GetAS(\"<婚\",\"婚姻\"),1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"受/v 教育 | 人民 ! 愚民政策", 1,
     "local h = GetAS(\"<受\",\"受\")\n"
     "h = JoinAS(h,GetAS(\"v|\"),\"SameRight\")\n"
     "h = JoinAS(h,GetAS(\"<教\",\"教育\"),\"Link\")\n"
     "h = OR(h,GetAS(\"<人\",\"人民\"),1)\n"
     "h = NOT(h,GetAS(\"<愚\",\"愚民政策\"),1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"围城 @ 婚姻", 1,
     "local b = GetAS(\"<婚\",\"婚姻\")\n"
     "SetBase(b,0,0)\n"
     "local h = GetAS(\"<围\",\"围城\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"围城 @@ 婚姻", 1,
     "local b = GetAS(\"<婚\",\"婚姻\")\n"
     "SetBase(b,0,1)\n"
     "local h = GetAS(\"<围\",\"围城\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"围城 !@ 婚姻", 1,
     "local b = GetAS(\"<婚\",\"婚姻\")\n"
     "SetBase(b,1,0)\n"
     "local h = GetAS(\"<围\",\"围城\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"围城 !@@ 婚姻 & 结婚", 1,
     "local b = GetAS(\"<婚\",\"婚姻\")\n"
     "b = AND(b,GetAS(\"<结\",\"结婚\"),1)\n"
     "SetBase(b,1,1)\n"
     "local h = GetAS(\"<围\",\"围城\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"~(上海)~ {len($Q)>1 len($1)<3 mid($1)=[的,了;着] $2!=[是] $1!=$2 print($1) $Words=[的 是] $WordsNum=0.5}", 1,
     "Condition(\"len($Q)>1;len($1)<3;mid($1)=[的 了 着];$2!=[是];$1!=$2;print($1);$Words=[的 是];$WordsNum=0.5\")\n"
     "local h = GetAS(\"<上\",\"上海\",\"~(\",\")~\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海 {Cat=诗_唐诗 time_year=2000-2010 num_page=1-5 pos=[title text]}", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "h = Filter(h,\"Cat=诗_唐诗;time_year=2000-2010;num_page=1-5;pos=[title text]\",1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海 {?Cat=诗 ?Cat=[词 曲] !author=杜甫 !author=李白}", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "h = Filter(h,\"Cat=[诗 词 曲]\",0)\n"
     "h = Filter(h,\"author=[杜甫 李白]\",-1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海 [(4294967808,4294968000);(0,100);(50,200);(201,300)]", 1,
     "AddLimit(0,200)\n"
     "AddLimit(201,300)\n"
     "AddLimit(4294967808,4294968000)\n"
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海{ len($Q)>1 Cat=诗}[(1,5);(7,9);]", 1,
     "AddLimit(1,5)\n"
     "AddLimit(7,9)\n"
     "Condition(\"len($Q)>1\")\n"
     "local h = GetAS(\"<上\",\"上海\")\n"
     "h = Filter(h,\"Cat=诗\",1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海{}{(1,5);(7,9);}", 1,
     "AddLimit(1,5)\n"
     "AddLimit(7,9)\n"
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海 => ctx", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海 => ctx -1 2 100 src", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "OriOn()\n"
     "Context(h,-1,2,100)\n"
     "return Output(h)\n"},
    {"上海 => context 5", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Context(h,5,0,50)\n"
     "return Output(h)\n"},
    {"(上海)~(~) => freq $1*$2", 1,
     "local h = GetAS(\"<上\",\"上海\",\"(\",\")~(~)\")\n"
     "Freq(h,\"$1*$2\")\n"
     "return Output(h)\n"},
    {"上海 => freq \"$1 的\" 50 nosort", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Freq(h,\"$1 的\",1)\n"
     "return Output(h,50)\n"},
    {"上海 => freq", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Freq(h,\"$Q\")\n"
     "return Output(h)\n"},
    {"上海 => count", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Count(h)\n"
     "return Output(h)\n"},
    {"上海 => count $1 20", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Count(h,\"$1\",20)\n"
     "return Output(h)\n"},
    {"上海 => count \"$1 $2\" 0", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Count(h,\"$1 $2\",0)\n"
     "return Output(h)\n"},
    {"--Lua 上海", 1,
     "--Lua\n"
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"~100,5000:上海", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"上海　北京", 1,
     "local h = GetAS(\"<上\",\"上海\")\n"
     "h = JoinAS(h,GetAS(\"<北\",\"北京\"),\"Link\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"\"in the\"", 0,
     "local h = GetAS(\"<in\",\"in the\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"dog<NN>", 0,
     "local h = GetAS(\"dog_NN|\",\"dog\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"<DT>dog", 0,
     "local h = GetAS(\"|DT_dog\",\"dog\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"\"the big\"<NN>", 0,
     "local h = GetAS(\"big_NN|\",\"the big\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"..the", 0,
     "local h = GetAS(\"the>\",\"..the\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$NP=\"the dog\"", 0,
     "local h = GetAS(\"$NP_dog\",\"the dog\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"in the", 0,
     "local h = GetAS(\"<in\",\"in\")\n"
     "h = JoinAS(h,GetAS(\"<the\",\"the\"),\"Link\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"dog/NN", 0,
     "local h = GetAS(\"<dog\",\"dog\")\n"
     "h = JoinAS(h,GetAS(\"NN|\"),\"SameRight\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"My/\"PRP$\" sister", 0,
     "local h = GetAS(\"<My\",\"My\")\n"
     "h = JoinAS(h,GetAS(\"PRP$|\"),\"SameRight\")\n"
     "h = JoinAS(h,GetAS(\"<sister\",\"sister\"),\"Link\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"脇 & 誡", 1,
     "local h = GetAS(\"<脇\",\"脇\")\n"
     "h = AND(h,GetAS(\"<誡\",\"誡\"),1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"腫<n>", 1,
     "local h = GetAS(\"腫_n|\",\"腫\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"<諂>誠", 1,
     "local h = GetAS([[|諂_誠]],[[誠]])\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"$調=盄", 1,
     "local h = GetAS(\"$調_盄\",\"盄\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"誣$", 1,
     "local h = GetAS(\"誣@\",\"誣\")\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"\"誠\"", 1,
     "local h = GetAS([[<誠]],[[誠]])\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"~(盺)~ {mid($1)=[誡 調] Cat=諁}", 1,
     "Condition(\"mid($1)=[誡 調]\")\n"
     "local h = GetAS(\"<盺\",\"盺\",\"~(\",\")~\")\n"
     "h = Filter(h,\"Cat=諁\",1)\n"
     "Context(h,10,0,50)\n"
     "return Output(h)\n"},
    {"盺 => freq 誡$1", 1,
     "local h = GetAS(\"<盺\",\"盺\")\n"
     "Freq(h,\"誡$1\")\n"
     "return Output(h)\n"},
};

TEST_F(ParserScript, TranslatesEveryConstructToItsProgram) {
    for (const Golden& g : kGolden) {
        SCOPED_TRACE(g.query);
        const std::string program = Translate(Gbk(g.query), g.lang);
        EXPECT_EQ(Utf8(program), g.program);
        EXPECT_TRUE(Loads(program));
    }
}

// A model of the engine's result slots and call order: two atom slots, two
// merged slots; an atom pair goes to the first merged slot, a merged result
// with an atom to the other merged slot; SetBase, Condition, Filter in order;
// limits sorted and apart, before the first search.
const char* kEngineModel = R"lua(
local atom, merged, calls, bad, limits = {false, false}, {false, false}, {}, {}, {}
local function fault(m) bad[#bad + 1] = m end
local function kind(h)
  if h == 1 or h == 2 then return "A", h elseif h == 11 or h == 12 then return "M", h - 10 end
end
local function in_use(h)
  local k, i = kind(h)
  return (k == "A" and atom[i]) or (k == "M" and merged[i]) or false
end
local function release(h)
  local k, i = kind(h)
  if k == "A" then atom[i] = false elseif k == "M" then merged[i] = false end
end
local function call(name) calls[#calls + 1] = name end
function GetAS(unit, ...)
  call("GetAS")
  for _, a in ipairs({unit, ...}) do if type(a) ~= "string" then fault("GetAS argument") end end
  for i = 1, 2 do if not atom[i] then atom[i] = true; return i end end
  fault("no free atom slot"); return 0
end
local function merge(name, h1, h2)
  call(name)
  if not in_use(h1) or not in_use(h2) then fault(name .. " on a free slot"); return 0 end
  local k1, k2 = kind(h1), kind(h2)
  local out
  if k1 == "A" and k2 == "A" then out = 11
  elseif k1 == "M" and k2 == "A" then out = h1 == 11 and 12 or 11
  elseif k1 == "A" and k2 == "M" then out = h2 == 11 and 12 or 11
  else fault(name .. " of two merged results"); return 0 end
  if in_use(out) then fault(name .. " into a slot in use") end
  release(h1); release(h2); merged[out - 10] = true
  return out
end
local RELATIONS = { ShareTag = 1, ShareQuery = 1, ["*"] = 1, ["^"] = 1, SameLeft = 1, SameRight = 1,
                    Link = 1, SameSent = 1, InPhrase = 1, InChunk = 1, SameBoundary = 1 }
function JoinAS(h1, h2, rel)
  if not RELATIONS[rel] then fault("relation " .. tostring(rel)) end
  return merge("JoinAS", h1, h2)
end
for _, name in ipairs({"AND", "OR", "NOT"}) do
  _G[name] = function(h1, h2, x)
    if math.type(x) ~= "integer" then fault(name .. " level") end
    return merge(name, h1, h2)
  end
end
function Filter(h, text, mode)
  call("Filter")
  if not in_use(h) or type(text) ~= "string" or math.type(mode) ~= "integer" then fault("Filter arguments") end
  release(h)
  local out = (not merged[1]) and 11 or ((not merged[2]) and 12 or nil)
  if not out then fault("Filter without a free slot"); return 0 end
  merged[out - 10] = true
  return out
end
function SetBase(h, mode, x) call("SetBase"); if not in_use(h) then fault("SetBase") end; release(h) end
function Condition(text) call("Condition"); if type(text) ~= "string" then fault("Condition") end end
function AddLimit(a, b)
  call("AddLimit")
  if math.type(a) ~= "integer" or math.type(b) ~= "integer" or a > b then fault("AddLimit arguments") end
  local last = limits[#limits]
  if last and a <= last[2] then fault("limits not sorted apart") end
  limits[#limits + 1] = {a, b}
end
local function result(name) return function(h) call(name); if not in_use(h) then fault(name .. " on a free slot") end; return 0 end end
Context, Freq, Count = result("Context"), result("Freq"), result("Count")
function OriOn() call("OriOn") end
local function report()
  local seen = {}
  for k, name in ipairs(calls) do
    seen[name] = seen[name] or k
    if name == "AddLimit" and seen.GetAS then fault("AddLimit after a search") end
  end
  if seen.Condition and seen.SetBase and seen.Condition < seen.SetBase then fault("Condition before SetBase") end
  if seen.Filter and seen.Condition and seen.Filter < seen.Condition then fault("Filter before Condition") end
  return table.concat(bad, "; ")
end
function Output(h, n)
  call("Output")
  local faults = report()
  return faults == "" and "answer" or faults
end
)lua";

TEST_F(ParserScript, ProgramsStayWithinTheEngineSlotsAndCallOrder) {
    for (const Golden& g : kGolden) {
        const std::string program = Translate(Gbk(g.query), g.lang);
        if (program.find("\"error\"") != std::string::npos) continue;
        SCOPED_TRACE(g.query);
        EXPECT_EQ(RunProgram(program, kEngineModel), "answer");
    }
}

// The examples of docs/query-language.md: every "Query: `...`" line is
// followed by the program that the query becomes.
TEST_F(ParserScript, DocumentedExamplesShowTheirPrograms) {
    const std::string doc = qztest::ReadFile(qztest::DataDir() + "/../../docs/query-language.md");
    const std::string marker = "\nQuery: `";
    int examples = 0;
    for (size_t at = doc.find(marker); at != std::string::npos; at = doc.find(marker, at + 1)) {
        const size_t start = at + marker.size();
        const size_t line_end = doc.find('\n', start);
        const size_t query_end = doc.find('`', start);
        ASSERT_NE(query_end, std::string::npos);
        const std::string query = doc.substr(start, query_end - start);
        const bool english = doc.substr(query_end, line_end - query_end).find("English") != std::string::npos;
        const size_t block = doc.find("```lua\n", line_end);
        ASSERT_NE(block, std::string::npos);
        const size_t body = block + 7;
        const std::string program = doc.substr(body, doc.find("```", body) - body);
        SCOPED_TRACE(query);
        EXPECT_EQ(Utf8(Translate(Gbk(query), english ? 0 : 1)), program);
        ++examples;
    }
    EXPECT_GE(examples, 40);
}

struct ParseError {
    const char* query;
    int position;  // character number, from 1
    const char* expected;
};

const ParseError kErrors[] = {
    {"", 1, "a unit"},
    {"上海 &", 5, "a unit"},
    {"上海 & & 北京", 6, "a unit"},
    {"<n", 3, "'>' to close the tag"},
    {"<>上海", 2, "a tag name"},
    {"$", 2, "a constituent label"},
    {"$NP=", 5, "waves, '*' or a text"},
    {"上..海", 1, "'.' only at its start or its end"},
    {"..上海..", 1, "'.' on one side only"},
    {"上海..<n>", 1, "'.' only at its start (before a tag)"},
    {"<v>..上海", 4, "'.' only at its end (after a tag)"},
    {"..", 1, "at least one character besides '.'"},
    {"\"上海", 4, "'\"' to close the quoted text"},
    {"\"上 海\"", 1, "a Chinese text without blanks"},
    {"(上海", 1, "')' to close the group"},
    {"上海)", 3, "'(' before ')'"},
    {"((上海))", 2, "groups do not nest"},
    {"()上海", 1, "a group with something inside"},
    {"(~)(~)(~)(上海)", 10, "at most three groups"},
    {"上海<n>北京", 6, "a blank or an operator between two units"},
    {"北京$NP", 4, "a blank or an operator after the '$'"},
    {"婚姻 #bogus# 围城", 4, "a relation name"},
    {"婚姻 #Link 围城", 9, "'#' to close the relation name"},
    {"婚姻 #InChunk# 的/uj", 4, "a relation after which a word/tag pair can stand"},
    {"婚姻 ! 一座 围城", 6, "a single unit on the right of '!'"},
    {"一座 围城 & 婚姻 的", 9, "a single unit on the right of '&'"},
    {"上海 @ 婚姻 @ 围城", 9, "'{', '[', '=>' or the end of the query"},
    {"上海 北京)", 6, "'(' before ')'"},
    {"上海 {len($Q)>=1}", 5, "a length condition"},
    {"上海 {mid($3)=[的]}", 5, "a condition such as mid($1)=[...]"},
    {"上海 {mid($1)=的}", 5, "a word list in '[' and ']'"},
    {"上海 {mid($1)=[]}", 5, "at least one word in the list"},
    {"上海 {len($Q)>1", 14, "'}' to close the conditions"},
    {"上海 {foo}", 5, "a filter such as Cat=[...]"},
    {"上海 {Cat=诗 Cat=词}", 11, "one filter per name"},
    {"上海 [(5,3)]", 5, "a limit whose end is not before its start"},
    {"上海 [(1,2", 9, "']' to close the limits"},
    {"上海 [(1;2)]", 7, "',' between the two keys"},
    {"上海 [(1,99999999999999999999)]", 8, "a sentence key from 0 to 9223372036854775807"},
    {"上海 => foo", 7, "ctx, freq or count"},
    {"上海 => ctx 601", 11, "a context width from -1 to 600"},
    {"上海 => ctx 10 0 0", 16, "a page size from 1 to 200000"},
    {"上海 => freq $B", 12, "a form whose '$' names $1, $2, $3 or $Q"},
    {"上海 => freq $1$2$3$Q", 12, "a form with at most three parts"},
    {"上海 => count $3", 13, "a count form"},
    {"上海 => count $1 x", 16, "one form only"},
    {"上海 => count 5 $1", 15, "the form before the number"},
    {"上海 => ctx => freq", 11, "only one '=>' output"},
    // Second bytes of GBK characters that equal "|", "]" or "}" are text.
    {"誠脇 &", 5, "a unit"},
    {"上海 {mid($1)=[誡}", 16, "'}' to close the conditions"},
    {"上海 {Cat=[誡}", 12, "'}' to close the conditions"},
    {"上海 }", 4, "an operator, '{', '[', '=>' or the end of the query"},
};

TEST_F(ParserScript, ParseErrorsGiveAProgramReturningJsonWithThePosition) {
    for (const ParseError& e : kErrors) {
        SCOPED_TRACE(e.query);
        const std::string program = Translate(Gbk(e.query));
        EXPECT_TRUE(Loads(program));
        const std::string answer = RunProgram(program);
        cJSON* json = cJSON_Parse(answer.c_str());
        ASSERT_NE(json, nullptr) << answer;
        const cJSON* error = cJSON_GetObjectItem(json, "error");
        const cJSON* position = cJSON_GetObjectItem(json, "position");
        const cJSON* expected = cJSON_GetObjectItem(json, "expected");
        ASSERT_TRUE(cJSON_IsString(error) && cJSON_IsNumber(position) && cJSON_IsString(expected)) << answer;
        EXPECT_EQ(position->valueint, e.position) << answer;
        EXPECT_NE(std::string(expected->valuestring).find(e.expected), std::string::npos) << answer;
        EXPECT_EQ(std::string(error->valuestring).rfind("query error at character " + std::to_string(e.position), 0),
                  0u) << answer;
        cJSON_Delete(json);
    }
}

// The answer of a program is UTF-8: the text of the query in an error comes
// back as JSON escapes of its Unicode characters, never as GBK bytes.
TEST_F(ParserScript, ErrorNamesTheOffendingTextInUnicode) {
    const std::string answer = RunProgram(Translate(Gbk("围城 #走# 婚姻")));
    EXPECT_NE(answer.find(R"("found":"#\u8d70#")"), std::string::npos) << answer;
    for (unsigned char c : answer) EXPECT_LT(c, 0x80u);
}

std::string LongCondition(int words) {
    std::string query = "上海 {";
    for (int i = 0; i < words; ++i) {
        if (i % 100 == 0) query += (i ? "] mid($Q)=[" : "mid($Q)=[");
        query += "字" + std::to_string(i % 10) + " ";
    }
    return query + "]}";
}

// Programs grow with the query; the largest that fits is returned whole and
// the next one is refused with a JSON error, never cut.
TEST_F(ParserScript, ProgramOverTheBufferIsRefusedNotCut) {
    auto too_large = [this](int words) {
        return Translate(Gbk(LongCondition(words))).find("is too large") != std::string::npos;
    };
    // The program grows with every word: find the first size that is refused.
    int fits = 1000, refuses = 4000;
    ASSERT_FALSE(too_large(fits));
    ASSERT_TRUE(too_large(refuses));
    while (refuses - fits > 1) {
        const int middle = (fits + refuses) / 2;
        (too_large(middle) ? refuses : fits) = middle;
    }
    const std::string last_fitting = Translate(Gbk(LongCondition(fits)));
    const std::string refused = Translate(Gbk(LongCondition(refuses)));
    ASSERT_FALSE(refused.empty());
    EXPECT_LE(last_fitting.size(), kMaxProgram);
    EXPECT_GT(last_fitting.size(), kMaxProgram - 10);
    EXPECT_EQ(last_fitting.substr(last_fitting.size() - 17), "return Output(h)\n");
    EXPECT_TRUE(Loads(last_fitting));
    const std::string answer = RunProgram(refused);
    cJSON* json = cJSON_Parse(answer.c_str());
    ASSERT_NE(json, nullptr) << answer;
    const cJSON* error = cJSON_GetObjectItem(json, "error");
    ASSERT_TRUE(cJSON_IsString(error));
    EXPECT_NE(std::string(error->valuestring).find("at most 10239 are allowed"), std::string::npos);
    cJSON_Delete(json);
}

TEST_F(ParserScript, OneArgumentCallTranslatesAsChinese) {
    const std::string query = Gbk("一座<n> {len($Q)>1}");
    lua_getglobal(L_, "Parser");
    lua_pushlstring(L_, query.data(), query.size());
    EXPECT_EQ(Call(1), Translate(query, 1));
    EXPECT_NE(Translate(Gbk("\"in the\""), 0), Translate(Gbk("\"in the\""), 1));
}

// The query functions are not in the parser's state, and a query that is no
// text still gets a program, never a Lua error.
TEST_F(ParserScript, ArgumentsOfAnyTypeGiveAProgram) {
    lua_getglobal(L_, "Parser");
    EXPECT_NE(Call(0).find("the query must be a text"), std::string::npos);
    lua_getglobal(L_, "Parser");
    lua_newtable(L_);
    EXPECT_NE(Call(1).find("the query must be a text"), std::string::npos);
    lua_getglobal(L_, "Parser");
    lua_pushinteger(L_, 12);
    EXPECT_EQ(Call(1), Translate("12"));
}

TEST_F(ParserScript, EchoMarkerAsksForTheProgram) {
    const std::string plain = Translate(Gbk("婚姻 & 围城"));
    EXPECT_EQ(plain.find("--Lua"), std::string::npos);
    for (const char* query : {"--Lua 婚姻 & 围城", "婚姻 & 围城--Lua", "婚姻 --Lua& 围城"}) {
        SCOPED_TRACE(query);
        EXPECT_EQ(Translate(Gbk(query)), "--Lua\n" + plain);
    }
    // An error program is shown the same way.
    const std::string error = Translate(Gbk("--Lua 婚姻 &"));
    EXPECT_EQ(error.rfind("--Lua\nreturn ", 0), 0u);
    EXPECT_TRUE(Loads(error));
    // The marker inside quoted text is text: the program carries it escaped,
    // so the runner does not take the program for an echo.
    const std::string quoted = Translate(Gbk("\"a--Lua\""));
    EXPECT_EQ(quoted.find("--Lua"), std::string::npos);
    EXPECT_EQ(RunProgram(quoted, "function GetAS(u, p) return p end "
                                 "function Context() end function Output(h) return h end"),
              "a--Lua");
}

// Every byte string gets a program that loads; no query reaches the parser's
// own failure path.
TEST_F(ParserScript, ArbitraryQueriesNeverBreakTheTranslator) {
    const std::vector<std::string> pieces = {
        "上", "海", "誠", "脇", "腫", "誡", "調", "諁", "諂", "盄", " ", "&", "|", "!", "@", "*",
        "^", "#", "(", ")", "~", "<", ">", "$", "=", "{", "}", "[", "]", "\"", "/", ".", "n",
        "NP", "1", ",", ";", "\\", "=>", "-", "--Lua", "len($Q)>1", "mid($1)=[", "Cat="};
    uint32_t seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7FFF; };
    int translated = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string query;
        const int length = static_cast<int>(next() % 12);
        for (int k = 0; k < length; ++k) query += Gbk(pieces[next() % pieces.size()]);
        if (next() % 3 == 0) query += "\xB1";  // a lead byte without its trail byte
        const std::string program = Translate(query, next() % 2);
        ASSERT_TRUE(Loads(program)) << Utf8(query) << "\n" << program;
        ASSERT_EQ(program.find("internal parser error"), std::string::npos) << Utf8(query) << "\n" << program;
        ASSERT_LE(program.size(), kMaxProgram);
        const std::string answer = RunProgram(program, kEngineModel);
        if (answer.rfind("{\"error\":", 0) != 0) {
            ++translated;
            ASSERT_EQ(answer, "answer") << Utf8(query) << "\n" << program;
        }
    }
    EXPECT_GT(translated, 100);
}

}  // namespace
