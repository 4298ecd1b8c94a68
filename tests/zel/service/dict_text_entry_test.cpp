// The exported text functions of the rule compiler, through caller buffers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "include/zellib.h"
#include "support/test_support.h"

TEST(DictTextExports, Convert2GBCopiesLinesAsGbk) {
    qztest::TempDir dir;
    // A line longer than any line buffer, with three-byte characters across
    // every possible cut.
    std::string longLine;
    while (longLine.size() < 160000) longLine += "语法a";
    const std::string text = "第一行\n\n" + longLine + "\r\nlast line without end";
    qztest::WriteFile(dir.file("in.txt"), text);
    Convert2GB(dir.file("in.txt").c_str(), dir.file("out.txt").c_str());
    EXPECT_EQ(qztest::Gbk(text), qztest::ReadFile(dir.file("out.txt")));

    // Nothing is made when the input is missing; null paths do nothing.
    Convert2GB(dir.file("none.txt").c_str(), dir.file("made.txt").c_str());
    EXPECT_NE(0, access(dir.file("made.txt").c_str(), F_OK));
    Convert2GB(nullptr, dir.file("made.txt").c_str());
    Convert2GB(dir.file("in.txt").c_str(), nullptr);
    Convert2GB(dir.file("in.txt").c_str(), dir.file("no/folder").c_str());
}

TEST(DictTextExports, JsonSpecialTagEscapesInPlaceWithinTheBuffer) {
    struct Case {
        const char* text;
        int size;  // bytes of the buffer
        bool escaped;
        const char* result;
    } cases[] = {
        {"a<b>&\"c'", 64, true, "a&lt;b&gt;&amp;&quot;c&apos;"},
        {"plain", 6, true, "plain"},
        {"", 1, true, ""},
        {"<", 5, true, "&lt;"},
        // The escaped text and its NUL must fit: the text stays as it was.
        {"<", 4, false, "<"},
        {"a&b", 7, false, "a&b"},
        // A two-byte character whose trail byte is 0x5C stays whole.
        {"\x81\x5C<", 7, true, "\x81\x5C&lt;"},
    };
    for (const Case& c : cases) {
        std::vector<char> buffer(c.size + 8, '#');
        memcpy(buffer.data(), c.text, strlen(c.text) + 1);
        EXPECT_EQ(c.escaped, processJSONSpecialTag(buffer.data(), c.size)) << c.text;
        EXPECT_STREQ(c.result, buffer.data()) << c.text;
        EXPECT_EQ('#', buffer[c.size]) << "written past the buffer: " << c.text;
    }
    EXPECT_FALSE(processJSONSpecialTag(nullptr, 10));
}

TEST(DictTextExports, DictInfoThroughCallerBuffers) {
    const char* text = "a(b;c d)";
    std::vector<char> first(strlen(text) + 1), second(strlen(text) + 1), rest(strlen(text) + 1);
    SplitDictInfo(text, first.data(), second.data(), rest.data());
    EXPECT_STREQ("a", first.data());
    EXPECT_STREQ("b", second.data());
    EXPECT_STREQ("cd", rest.data());

    char kind[5] = "k";
    std::vector<char> name(8, 0), arguments(8, 0);
    ASSERT_TRUE(ParseDictRuleInfo("NP(a,b)", kind, name.data(), arguments.data()));
    EXPECT_STREQ("Word", kind);
    EXPECT_STREQ("NP", name.data());
    EXPECT_STREQ("a,b", arguments.data());

    strcpy(name.data(), "n");
    EXPECT_FALSE(ParseDictRuleInfo("NP", kind, name.data(), arguments.data()));
    EXPECT_FALSE(ParseDictRuleInfo(nullptr, kind, name.data(), arguments.data()));
    EXPECT_STREQ("n", name.data());
    EXPECT_STREQ("a,b", arguments.data());
}
