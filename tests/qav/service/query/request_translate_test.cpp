// Request translators over a test parser script whose functions show the
// arguments they were given.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "qav/service/query/parser_script_call.h"
#include "qav/service/query/request_translate.h"
#include "qav/service/query/web_info.h"
#include "qav/service/service_fixture.h"

namespace qztest {
namespace {

const char kShowingParser[] = R"lua(
function Parser(q, ...) return "P[" .. q .. "]" .. select("#", ...) end
function ParserBMQ(q, size, no, kind) return string.format("Q[%s|%s|%s|%s]", q, size, no, kind) end
function ParserBMID(q, ids, size, no) return string.format("I[%s|%s|%s|%s]", q, ids, size, no) end
)lua";

class RequestTranslateTest : public testing::Test {
protected:
    void SetUp() override { qav::SetTranslatorParserScript(WriteAt(dir_, "utils/Parser.lua", kShowingParser)); }
    void TearDown() override { qav::SetTranslatorParserScript(""); }

    // Runs translate on a record holding text; the record's text afterwards,
    // or "<false>" when the translator returned false.
    template <typename Translate>
    std::string Run(Translate translate, const std::string& text) {
        info_.m_text = text;
        return translate(&info_) ? info_.m_text : "<false>";
    }

    TempDir dir_;
    qav::CWebInfo info_;
};

TEST_F(RequestTranslateTest, FullTextBodiesBecomeParserPrograms) {
    struct Case {
        const char* body;
        const char* text;
    };
    const Case cases[] = {
        {R"({"Func":"Query","Query":"猫","Type":2,"PageNum":20,"PageNo":3})", "Q[猫|20.0|3.0|2.0]"},
        {R"({"Func":"id","Query":"q","ID":["3",4,"5"],"PageNum":10,"PageNo":1})", "I[q|3;5;|10.0|1.0]"},
        {R"({"Func":"Id","Query":"q","ID":[],"PageNum":10,"PageNo":1})", "I[q||10.0|1.0]"},
        {R"({"Func":"Other"})", ""},
        {R"({"Func":"query","Query":"q","PageNum":1,"PageNo":1})", "<false>"},
        {R"({"Func":"ID","Query":"q","PageNum":1,"PageNo":1})", "<false>"},
        {R"({"Func":"ID","Query":"q","ID":["1"],"PageNo":1})", "<false>"},
        {R"({"Query":"q"})", "<false>"},
        {"not json", "<false>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const std::string expected = c.text == std::string("<false>") ? "<false>" : Gbk(c.text);
        EXPECT_EQ(expected, Run(qav::BMQAVText2Json, Gbk(c.body)));
    }
}

TEST_F(RequestTranslateTest, StructuredBodiesGiveConditionTextOrTheQuery) {
    const std::string body = R"({"PageNum":50,"PageNo":2,"Func":"f","Query":"上海","Value":[{"Cat":"n","x":"y"},"x",3,{"k":1}]})";
    EXPECT_EQ("Cat=n|x|", Run(qav::StructQAVText2Json, body));
    EXPECT_EQ(50, info_.m_nPageSize);
    EXPECT_EQ(2, info_.m_nPageNo);
    EXPECT_EQ("上海", Run(qav::StructQAVText2Json_Script, body));

    for (const char* bad : {R"({"PageNo":2,"Func":"f","Query":"q","Value":[]})",
                            R"({"PageNum":1,"PageNo":2,"Query":"q","Value":[]})",
                            R"({"PageNum":1,"PageNo":2,"Func":"f","Query":"q"})", "[1"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ("<false>", Run(qav::StructQAVText2Json, bad));
        EXPECT_EQ("<false>", Run(qav::StructQAVText2Json_Script, bad));
        EXPECT_EQ(bad, info_.m_text);
    }
}

TEST_F(RequestTranslateTest, SingleLineQueriesGoThroughParserWithOneArgument) {
    info_.m_text = Gbk("上海 好");
    qav::StructQAVText2Json_LUA(&info_, 0);
    EXPECT_EQ(Gbk("P[上海 好]0"), info_.m_text);

    // The text handed over is cut after the last whole character.
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "海";
    info_.m_text = "a" + Gbk(many);
    qav::StructQAVText2Json_LUA(&info_, 0);
    EXPECT_EQ("P[a" + Gbk(many).substr(0, 30718) + "]0", info_.m_text);

    // A script without the function gives the empty program.
    qav::SetTranslatorParserScript(WriteAt(dir_, "other.lua", "x = 1\n"));
    info_.m_text = "q";
    qav::StructQAVText2Json_LUA(&info_, 0);
    EXPECT_EQ("", info_.m_text);
}

TEST(RequestRecord, BuffersAreMadeOnceAndTextCopied) {
    qav::shttpd_arg_t request;
    qav::CWebInfo info;
    EXPECT_FALSE(info.WebInfoInit(&request, "abc", 0));
    EXPECT_EQ(&request, info.m_request);
    // The buffers exist now: a second set-up keeps them as they are.
    EXPECT_TRUE(info.WebInfoInit(&request, "abc", 3));
    EXPECT_EQ("", info.m_text);
    info.WebInfoExit();
    EXPECT_TRUE(info.WebInfoInit(&request, "abcdef", 3));
    EXPECT_EQ("abc", info.m_text);
}

TEST(RequestRecord, Ucs2ToGbk) {
    const std::vector<uint16_t> text = {0x4E0A, 0x6D77, 'x', 0};
    std::string gbk;
    EXPECT_TRUE(qav::unicode2gbk(text.data(), gbk));
    EXPECT_EQ(Gbk("上海x"), gbk);
}

TEST(ParserScriptPath, BesideTheExecutableOrUnderTheWorkingDirectory) {
    EXPECT_EQ(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "utils/Parser.lua",
              std::filesystem::path(qav::ExecutableParserPath()));

    // A link that cannot be read, or names a path too long to hold.
    TempDir dir;
    const std::filesystem::path longTarget = "/" + std::string(1100, 'x') + "/qav";
    std::filesystem::create_symlink(longTarget, dir.file("long"));
    const std::filesystem::path fallback = std::filesystem::current_path() / "utils/Parser.lua";
    for (const std::string& link : {dir.file("missing"), dir.file("long")}) {
        EXPECT_EQ(fallback, std::filesystem::path(qav::ExecutableParserPath(link.c_str()))) << link;
    }
}

}  // namespace
}  // namespace qztest
