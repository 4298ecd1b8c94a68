#include "qav/fulltext/build/split_line.h"

#include <gtest/gtest.h>

#include "qav/fulltext/build/input_reader.h"
#include "support/test_support.h"

namespace qav::bm {
namespace {

using Words = std::vector<std::string>;

TEST(SplitLine, KeepsWordsBeforeTheLastSlashAndDropsFilteredTokens) {
    const StrSet stopWords = {qztest::Gbk("的")};
    const StrSet stopTags = {"x"};
    const struct { std::string text; bool dropNumbers; Words words; } cases[] = {
        {"full text\tsearch", true, {"full", "text", "search"}},
        {"a/b/n c/v", true, {"a/b", "c"}},
        {"2020/m 3.14 3a . x", true, {"3a", "x"}},
        {"2020/m 3.14", false, {"2020", "3.14"}},
        {"/x /n a//n", false, {"a/"}},  // empty words are never words
        {qztest::Gbk("我/r 的/uj ，/x 书/n"), true, {qztest::Gbk("我"), qztest::Gbk("书")}},
        {"  a   b ", true, {"a", "b"}},
        {"", true, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitLine(c.text, stopWords, stopTags, c.dropNumbers), c.words) << qztest::Utf8(c.text);
}

TEST(SplitLine, CutsLongWordsOnACharacterBoundary) {
    const std::string han = qztest::Gbk("字");
    std::string token = "a";
    for (int i = 0; i < 1100; ++i) token += han;
    const Words words = SplitLine(token + "/n", {}, {}, true);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0], token.substr(0, 2047));  // "a" and 1,023 characters
}

TEST(GetLineInfo, ReadsKeyValueItems) {
    std::map<std::string, std::string> info = {{"old", "1"}};
    EXPECT_TRUE(GetLineInfo("id=D001;date=2020;flag;id=D002;url=a=b", info));
    EXPECT_EQ(info, (std::map<std::string, std::string>{{"id", "D002"}, {"date", "2020"}, {"url", "a=b"}}));
    EXPECT_FALSE(GetLineInfo(";;", info));
    EXPECT_TRUE(info.empty());
}

TEST(FieldText, DropsSingleBlanksWidensTabsAndJoinsLines) {
    const struct { std::vector<std::vector<std::string>> lists; std::string text; } cases[] = {
        {{{"full text search"}}, "fulltextsearch"},
        {{{"a  b"}}, "a b"},
        {{{"a\tb"}}, "a    b"},
        {{{"a b", "c d"}, {"e"}}, "ab<br/>cde"},
        {{{qztest::Gbk("中 文")}}, qztest::Gbk("中文")},
    };
    for (const auto& c : cases) EXPECT_EQ(FieldText(c.lists), c.text);
}

TEST(FieldText, StopsAtTheLimitWithoutSplittingACharacter) {
    const std::string line = "a" + std::string(60000, '\xB0');  // "a" then 30,000 two-byte characters
    const std::string text = FieldText({{line, line}});
    EXPECT_LE(text.size(), kMaxFieldTextBytes);
    EXPECT_GT(text.size(), kMaxFieldTextBytes - 2);
    EXPECT_EQ(text.substr(60001, 5), "<br/>");
    EXPECT_EQ((text.size() - 60006 - 1) % 2, 0u);
}

}  // namespace
}  // namespace qav::bm
