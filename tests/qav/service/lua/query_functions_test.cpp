// Query functions: argument forms, neutral results and their effect on the
// search object.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <cjson/cJSON.h>
#include <lua.hpp>

#include "qav/index/base/cat_table.h"
#include "qav/index/format/org_dat_file.h"
#include "qav/service/lua/lua_slots.h"
#include "query_fixture.h"
#include "qav/service/lua/query_functions.h"
#include "support/test_support.h"

namespace {

using qztest::EngineScope;
using qztest::Gbk;
using qztest::RunLua;

struct Case {
    const char* code;
    const char* want;
};

void ExpectCases(lua_State* L, const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(c.want, RunLua(L, c.code)) << c.code;
}

// The neutral answers of functions that find no structured search object.
const std::vector<Case> kNeutralWithoutSearch = {
    {"return IsTag('NP')", "0"},
    {"return IsPOS('v')", "0"},
    {"return IsWord('a')", "0"},
    {"return Filter(0, 'a=1', 0)", "0"},
    {"return select('#', Condition('len($Q)>1')), Condition('x')", "1,nil"},
    {"return GetRetNum()", "0"},
    {"return GetRet(0)", ",0"},
    {"return GetOrg('0')", ""},
    {"return select('#', OriOn()) + select('#', ClearSearch()) + select('#', Speedup(2)) + "
     "select('#', AddLimit(1, 2)) + select('#', ClearLimit()) + select('#', SetBase(0))",
     "0"},
    {"return Should('a', 1), Must('a', 1), BM25Doc('a', 1, 0), Term2Doc('a', 7)", "0,0,0,0"},
    {"return type(BM25Term('a', 1)), #BM25Term('a', 1)", "table,0"},
    {"return GetAS('a'), JoinAS(1, 2, 'Link'), AND(1, 2, 0), OR(1, 2, 0), NOT(1, 2, 0)", "0,0,0,0,0"},
    {"return Freq(5), Count(5), Output(0), WebPrint(0), Save(0, 'x'), LocalSave('a', 'x')", "0,0,0,0,0,0"},
    {"return GetID(1, 2, 3), GetDocInfo('a', 'b')", ",nil"},
};

TEST(QueryFunctions, StateWithoutSearchObjectGetsNeutralResults) {
    std::unique_ptr<lua_State, void (*)(lua_State*)> state(qav::QavNewLuaState(), lua_close);
    lua_State* L = state.get();
    luaL_openlibs(L);
    ASSERT_EQ(0, qav::RegistFunc(L));
    ExpectCases(L, kNeutralWithoutSearch);
}

TEST(QueryFunctions, RegistFuncBindsTheFortyFiveGlobals) {
    const std::vector<std::string> names = {
        "IsTag",     "IsPOS",    "IsWord",  "OriOn",     "GetAS",     "JoinAS",    "ClearSearch", "Should",
        "Must",      "BM25Doc",  "Term2Doc", "BM25Term", "AND",       "OR",        "NOT",         "Context",
        "Freq",      "Count",    "SortBy",  "GroupBy",   "CountBy",   "Output",    "Save",        "Del",
        "WebPrint",  "LocalSave", "LocalDel", "AddLimit", "ClearLimit", "SetBase",  "AddTag",      "ClearTag",
        "GetTags",   "GetTagVal", "AddKV",   "ClearKV",   "GetKV",     "Speedup",   "Condition",   "Filter",
        "GetRetNum", "GetRet",   "GetOrg",  "GetID",     "GetDocInfo"};
    std::vector<std::string> bound;
    for (const qav::QueryFunction& entry : qav::QueryFunctionTable()) bound.push_back(entry.name);
    EXPECT_EQ(names, bound);

    std::unique_ptr<lua_State, void (*)(lua_State*)> state(qav::QavNewLuaState(), lua_close);
    ASSERT_EQ(0, qav::RegistFunc(state.get()));
    for (const std::string& name : names) {
        EXPECT_EQ(LUA_TFUNCTION, lua_getglobal(state.get(), name.c_str())) << name;
        lua_pop(state.get(), 1);
    }
}

class QueryFunctionsTest : public qztest::QueryTest {};

TEST_F(QueryFunctionsTest, CoroutineOfAQueryFindsNoSearchObject) {
    qav::CQAVEngine engine;
    EngineScope scope(&engine);
    search_.m_FinalRect.AddRow("x", 1);
    for (const Case& c : kNeutralWithoutSearch) {
        const std::string code = std::string("return coroutine.wrap(function() ") + c.code + " end)()";
        EXPECT_EQ(c.want, Run(code)) << code;
    }
    EXPECT_EQ("1", Run("return GetRetNum()"));
}

TEST_F(QueryFunctionsTest, FunctionsOfTheOtherEngineKindAnswerNeutrally) {
    search_.m_FinalRect.AddRow("x", 1);
    qav::g_nEngineType = qav::kEngineFullText;
    const std::string answers = Run("Speedup(4) AddLimit(1, 2) return GetRetNum(), GetRet(0), IsTag('a')");
    qav::g_nEngineType = qav::kEngineStructured;
    EXPECT_EQ("0,,0", answers);
    EXPECT_TRUE(search_.m_Limits.empty());
    EXPECT_EQ(102400, search_.m_AtomRet[0].m_nCapacity);
}

TEST_F(QueryFunctionsTest, UnitAndWordTests) {
    qav::CQAVEngine engine;
    engine.m_unitTable.Reset(64);
    const std::string longTag(1022, 'a');
    for (const std::string& unit : {std::string("$NP"), std::string("v|"), std::string("|n"), std::string("n|"),
                                    "$" + longTag})
        engine.m_unitTable.GetOrAdd(unit, 1);
    auto words = std::make_shared<qav::CWordList>();
    for (const char* text : {"a", "b"}) words->words.push_back(qav::CWord{text, 0, 0, 1, words->length() == 0 ? 0 : 1, 7});
    words->words.push_back(qav::CWord{Gbk("上海"), 0, 0, 1, -1, 7});
    engine.m_pWordList = words;
    EngineScope scope(&engine);

    lua_pushstring(search_.LuaState(), Gbk("上海").c_str());
    lua_setglobal(search_.LuaState(), "shanghai");
    ExpectCases(search_.LuaState(),
                {
                    {"return IsTag('NP'), IsTag('VP'), IsTag('')", "1,0,0"},
                    // The key keeps 1,023 bytes: "$" and the first 1,022 of the argument.
                    {"return IsTag(string.rep('a', 1022) .. 'zz')", "1"},
                    {"return IsTag(), IsTag(1), IsTag('NP', 'x'), IsTag({})", "0,0,0,0"},
                    // "v|" alone is a POS; "n" also has "|n", which rules it out.
                    {"return IsPOS('v'), IsPOS('n'), IsPOS('x'), IsPOS()", "1,0,0,0"},
                    {"return IsWord('a'), IsWord('c'), IsWord(shanghai), IsWord(1)", "1,0,0,0"},
                });
}

TEST_F(QueryFunctionsTest, SpeedupDividesTheCapacitiesAndIgnoresOtherValues) {
    qav::CQAVEngine engine;
    EngineScope scope(&engine);
    const auto capacities = [this] {
        return std::vector<int>{search_.m_AtomRet[0].m_nCapacity, search_.m_AtomRet[1].m_nCapacity,
                                search_.m_QAVRet[0].m_nCapacity, search_.m_QAVRet[1].m_nCapacity,
                                search_.m_FinalRect.m_nCapacity};
    };
    const std::vector<int> full(5, 102400);
    ASSERT_EQ(full, capacities());
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"Speedup(2)", std::vector<int>(5, 51200)},
        {"Speedup(0)", std::vector<int>(5, 51200)},
        {"Speedup(-4)", std::vector<int>(5, 51200)},
        {"Speedup()", std::vector<int>(5, 51200)},
        {"Speedup(1, 2)", std::vector<int>(5, 51200)},
        {"Speedup('4')", std::vector<int>(5, 25600)},
        {"Speedup(1)", full},
    };
    for (const auto& [code, want] : cases) {
        EXPECT_EQ("", Run(code)) << code;
        EXPECT_EQ(want, capacities()) << code;
    }
    // The count is read without a type test.
    EXPECT_NE(std::string::npos, Run("Speedup('x')").find("number expected"));
    EXPECT_EQ(full, capacities());
}

TEST_F(QueryFunctionsTest, ConditionAndClearSearch) {
    // Condition hands back nil, not its argument.
    EXPECT_EQ("1,nil", Run("return select('#', Condition('len($Q)>1')), Condition('len($Q)>1')"));
    EXPECT_EQ("len($Q)>1", search_.m_ConditionText);
    EXPECT_FALSE(search_.m_Condition.Checks().empty());

    search_.m_FinalRect.AddRow("x", 1);
    EXPECT_EQ("", Run("ClearSearch()"));
    EXPECT_EQ("", search_.m_ConditionText);
    EXPECT_EQ(0, search_.m_FinalRect.m_nCount);
    EXPECT_TRUE(search_.m_Condition.Checks().empty());

    // Any other form is the empty condition.
    for (const char* code : {"Condition(5)", "Condition('len($Q)>1', 1)", "Condition()"}) {
        Run("Condition('len($Q)>1')");
        EXPECT_EQ("nil", Run(std::string("return ") + code)) << code;
        EXPECT_EQ("", search_.m_ConditionText) << code;
        EXPECT_TRUE(search_.m_Condition.Checks().empty()) << code;
    }
}

TEST_F(QueryFunctionsTest, FreqSortsTheRowsUnlessToldNotTo) {
    const auto rows = [this] {
        std::string texts;
        for (int i = 0; i < search_.m_FinalRect.m_nCount; ++i) texts += search_.m_FinalRect.m_Rows[i].text;
        return texts;
    };
    const std::pair<const char*, const char*> cases[] = {
        {"return Freq(12345, '', 1)", "abc"},
        {"return Freq(12345, '', 1, 0)", "abc"},
        {"return Freq(12345)", "bca"},
        {"return Freq(12345, '', 0)", "bca"},
    };
    for (const auto& [code, order] : cases) {
        search_.m_FinalRect.FinalRectInit(10);
        search_.m_FinalRect.AddRow("a", 1);
        search_.m_FinalRect.AddRow("b", 3);
        search_.m_FinalRect.AddRow("c", 2);
        search_.m_nOutType = 1;
        EXPECT_EQ("12345", Run(code)) << code;
        EXPECT_EQ(order, rows()) << code;
        EXPECT_EQ(0, search_.m_nOutType) << code;
    }
}

TEST_F(QueryFunctionsTest, RowBuildersReadTheirArgumentsWithoutATypeTest) {
    for (const char* code : {"Context()", "Context('x')", "Context(0, {})", "Freq({})", "Freq(0, {})", "Count()",
                             "Count(0, 'x', 'y')", "Output()", "Output('x')"})
        EXPECT_EQ(0u, Run(code).find("error: ")) << code;
    EXPECT_EQ("0,0", Run("return Context(12345), Context(12345, 1000, 0, 500000)"));
    EXPECT_EQ(1, search_.m_nOutType);
    EXPECT_EQ("12345,0", Run("return Count(12345, '$Q', 5), Count(0)"));
    EXPECT_EQ(0, search_.m_nOutType);
    EXPECT_EQ(1, search_.m_bCountOut);
}

TEST_F(QueryFunctionsTest, AddLimitKeepsSixtyFourBitKeysAndRefusesOtherForms) {
    using Ranges = std::vector<std::pair<int64_t, int64_t>>;
    const std::pair<const char*, Ranges> cases[] = {
        {"AddLimit(4294967808, 4294968000)", {{4294967808LL, 4294968000LL}}},
        {"AddLimit((254 << 32) + 7, math.maxinteger)", {{(254LL << 32) + 7, INT64_MAX}}},
        {"AddLimit(5.0, 9)", {{5, 9}}},
        {"AddLimit(1)", {}},
        {"AddLimit(1, 2, 3)", {}},
        {"AddLimit('1', 2)", {}},
        {"AddLimit(1.5, 2)", {}},
        {"AddLimit(nil, 2)", {}},
    };
    for (const auto& [code, want] : cases) {
        search_.ClearLimit();
        EXPECT_EQ("", Run(code)) << code;
        EXPECT_EQ(want, search_.m_Limits.Ranges()) << code;
    }
    Run("AddLimit(1, 2) AddLimit(5, 6)");
    EXPECT_EQ(2, search_.m_Limits.size());
    EXPECT_EQ("", Run("ClearLimit()"));
    EXPECT_TRUE(search_.m_Limits.empty());
}

TEST_F(QueryFunctionsTest, FilterStoresItsTextAndFiltersIntoAMergedSlot) {
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.file_no = 0;
    search_.m_QAVRet[0].Clear();
    for (uint32_t position : {512u, 520u}) {
        hit.position = position;
        search_.m_QAVRet[0].Add2QAVRetEx(hit);
    }
    // Filter mode 0 with no entries passes every hit: M1 is filtered into M2.
    EXPECT_EQ(std::to_string(static_cast<int64_t>(M2())), Run("return Filter(" + std::to_string(M1()) + ", '', 0)"));
    EXPECT_EQ(2, search_.m_QAVRet[1].m_nCount);
    EXPECT_TRUE(search_.m_QAVRet[0].IsFree());

    // A handle of no slot gives nothing; the text is still the condition text.
    EXPECT_EQ("0", Run("return Filter(12345, 'a=1', 0)"));
    EXPECT_EQ("a=1", search_.m_ConditionText);
    EXPECT_EQ(1u, search_.m_Condition.m_filters.count("a"));

    // Any other form filters handle 0 with the empty text and mode 1.
    for (const char* code : {"return Filter()", "return Filter('a=1')", "return Filter(0, 'a=1', 'x')",
                             "return Filter(1, 2, 3)"}) {
        for (qav::CQAVRet& slot : search_.m_QAVRet) slot.m_bFree = 1;
        EXPECT_EQ(std::to_string(static_cast<int64_t>(M1())), Run(code)) << code;
        EXPECT_EQ(0, search_.m_QAVRet[0].m_nCount) << code;  // no engine: the built-in search finds nothing
        EXPECT_EQ("", search_.m_ConditionText) << code;
        EXPECT_TRUE(search_.m_Condition.m_filters.empty()) << code;
    }
}

TEST_F(QueryFunctionsTest, SetBaseClearsTheConditionInEveryFormItAccepts) {
    const std::pair<const char*, bool> cases[] = {
        {"SetBase(0)", true},    {"SetBase(0, 1, 0)", true}, {"SetBase(12345)", true},
        {"SetBase(0, 1)", false}, {"SetBase('0')", false},    {"SetBase()", false},
    };
    for (const auto& [code, clears] : cases) {
        Run("Condition('len($Q)>1')");
        EXPECT_EQ("", Run(code)) << code;
        EXPECT_EQ(clears, search_.m_Condition.Checks().empty()) << code;
    }
}

TEST_F(QueryFunctionsTest, GetRetAndGetRetNumReadTheOutputRows) {
    search_.m_FinalRect.AddRow(Gbk("甲"), 3);
    search_.m_FinalRect.AddRow("", 5);
    lua_pushstring(search_.LuaState(), Gbk("甲").c_str());
    lua_setglobal(search_.LuaState(), "jia");
    ExpectCases(search_.LuaState(), {
                                        {"return GetRetNum()", "2"},
                                        {"local t, n = GetRet(0) return t == jia, n", "true,3"},
                                        {"return GetRet(1)", ",5"},
                                        {"return GetRet(-1)", ",0"},
                                        {"return GetRet(2)", ",0"},
                                        {"return GetRet('0')", ",0"},
                                        {"return GetRet()", ",0"},
                                        {"return GetRet(0, 1)", ",0"},
                                    });
}

TEST_F(QueryFunctionsTest, GetOrgNamesTheDocumentOfASentenceKey) {
    qztest::TempDir dir;
    ASSERT_TRUE(qav::WriteOrgDatFile(dir.file("Org.dat"), qav::OrgTable{{100, 200, 300}, {"A", "B", "C"}}));
    qav::CQAVEngine engine;
    ASSERT_TRUE(engine.m_orgInfo.OrgInfoInit(dir.file("Org.dat")));
    {
        EngineScope scope(&engine);
        ExpectCases(search_.LuaState(), {
                                            {"return GetOrg('0'), GetOrg(0), GetOrg('99')", "A,A,A"},
                                            {"return GetOrg('100'), GetOrg('199'), GetOrg('200')", "B,B,C"},
                                            {"return GetOrg('300'), GetOrg('5000000000000')", "C,C"},
                                            {"return GetOrg('-1'), GetOrg(), GetOrg({})", ",,"},
                                            // The page forms address the web output only.
                                            {"return GetOrg(1, 2), GetOrg(1, 2, 'x')", ","},
                                        });
    }
    qav::CQAVEngine empty;
    EngineScope scope(&empty);
    EXPECT_EQ("", Run("return GetOrg('0')"));
}

TEST_F(QueryFunctionsTest, DelRemovesOnlyPlainNamesInTheSaveFolder) {
    qztest::TempDir dir;
    const std::string folder = dir.file("save");
    std::filesystem::create_directories(folder + "/sub");
    qav::CQAVEngine engine;
    engine.m_config.m_FileInfo.SavePath = folder;
    EngineScope scope(&engine);
    for (const char* name : {"kept", "sub/inner", "a..b", "gone", "also"}) qztest::WriteFile(folder + "/" + name, "x");
    qztest::WriteFile(dir.file("outside"), "x");

    testing::internal::CaptureStdout();
    for (const char* code : {"Del('../outside')", "Del('sub/inner')", "Del('sub\\\\inner')", "Del('a..b')",
                             "Del('..')", "Del('')", "Del(5)", "Del('kept', 'x')"})
        EXPECT_EQ("", Run(code)) << code;
    EXPECT_EQ("", Run("Del('gone') LocalDel('also') Del('missing')"));
    const std::string log = testing::internal::GetCapturedStdout();

    for (const char* name : {"kept", "sub/inner", "a..b"})
        EXPECT_TRUE(std::filesystem::exists(folder + "/" + name)) << name;
    EXPECT_TRUE(std::filesystem::exists(dir.file("outside")));
    EXPECT_FALSE(std::filesystem::exists(folder + "/gone"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/also"));
    EXPECT_NE(std::string::npos, log.find("Error Del file " + folder + "/missing!\n"));
    EXPECT_NE(std::string::npos, log.find("Error Del file " + folder + "/../outside!\n"));

    // Without a configured save folder nothing is removed or written.
    engine.m_config.m_FileInfo.SavePath.clear();
    EXPECT_EQ("0", Run("Del('kept') return Save('x', 'kept')"));
    EXPECT_EQ("x", qztest::ReadFile(folder + "/kept"));
}

// The listing texts are JSON; these read them back.
struct Listing {
    std::string type;
    int total = -1;
    std::vector<std::string> res;
};

Listing ParseListing(const std::string& json) {
    Listing listing;
    std::unique_ptr<cJSON, void (*)(cJSON*)> root(cJSON_Parse(json.c_str()), cJSON_Delete);
    if (!root) return listing;
    listing.type = cJSON_GetStringValue(cJSON_GetObjectItem(root.get(), "type"));
    listing.total = cJSON_GetObjectItem(root.get(), "total")->valueint;
    const cJSON* item = nullptr;
    cJSON_ArrayForEach(item, cJSON_GetObjectItem(root.get(), "res")) listing.res.push_back(cJSON_GetStringValue(item));
    return listing;
}

class CategoryFunctions : public qztest::QueryTest {
protected:
    void SetUp() override {
        QueryTest::SetUp();
        qav::g_mCatTable.Clear();
    }
    void TearDown() override {
        qav::g_mCatTable.Clear();
        QueryTest::TearDown();
    }
};

TEST_F(CategoryFunctions, TablesWithoutWebOutputAndJsonOtherwise) {
    lua_State* L = search_.LuaState();
    // A GBK word whose second byte is a backslash.
    lua_pushstring(L, (Gbk("癨") + " " + Gbk("上海")).c_str());
    lua_setglobal(L, "words");
    ExpectCases(L, {
                       {"return AddTag('Fruit', 'pear,apple;fig')", ""},
                       {"AddKV('Place', words) AddTag('Bad') AddTag('Bad', {}) AddTag(1, 2)", ""},
                       {"return table.concat(GetTags(), ' ')", "1 Fruit Place"},
                       {"return table.concat(GetTagVal('Fruit'), ' ')", "apple fig pear"},
                       {"return table.concat(GetKV('Fruit'), ' ')", "apple fig pear"},
                       {"return type(GetTagVal('None')), #GetTagVal('None')", "table,0"},
                       {"return type(GetTagVal({}))", "table"},
                   });

    const Listing tags = ParseListing(RunLua(L, "return GetTags(1)"));
    EXPECT_EQ("GetTags", tags.type);
    EXPECT_EQ(3, tags.total);
    EXPECT_EQ((std::vector<std::string>{"1", "Fruit", "Place"}), tags.res);

    // total is the number of words listed, not of categories.
    const Listing fruit = ParseListing(RunLua(L, "return GetKV('Fruit', 1)"));
    EXPECT_EQ("GetKV", fruit.type);
    EXPECT_EQ(3, fruit.total);
    EXPECT_EQ((std::vector<std::string>{"apple", "fig", "pear"}), fruit.res);
    const Listing place = ParseListing(RunLua(L, "return GetTagVal('Place', 1)"));
    EXPECT_EQ((std::vector<std::string>{"癨", "上海"}), place.res);  // GBK byte order
    const Listing names = ParseListing(RunLua(L, "return GetTagVal()"));
    EXPECT_EQ(3, names.total);
    EXPECT_EQ(tags.res, names.res);

    // With a web output handle the listings are JSON; GetTags hands back nil.
    int web = 0;
    lua_setwebbuff(L, &web);
    EXPECT_EQ("GetKV", ParseListing(RunLua(L, "return GetKV('Fruit')")).type);
    EXPECT_EQ("nil", RunLua(L, "return GetTags()"));
    lua_setwebbuff(L, nullptr);

    // ClearTag hands back nil; one name removes one category, no name all.
    EXPECT_EQ("nil,nil", RunLua(L, "return ClearTag('Fruit'), ClearKV(5)"));
    EXPECT_EQ("1 Place", RunLua(L, "return table.concat(GetTags(), ' ')"));
    EXPECT_EQ("nil", RunLua(L, "return ClearTag()"));
    EXPECT_EQ("0", RunLua(L, "return #GetTags()"));
    EXPECT_EQ(0u, qav::g_mCatTable.Size());
}

TEST_F(CategoryFunctions, WorkWithoutASearchObject) {
    std::unique_ptr<lua_State, void (*)(lua_State*)> state(qav::QavNewLuaState(), lua_close);
    lua_State* L = state.get();
    luaL_openlibs(L);
    qav::RegistFunc(L);
    EXPECT_EQ("a b", RunLua(L, "AddTag('T', 'b a') return table.concat(GetTagVal('T'), ' ')"));
}

}  // namespace
