#include <gtest/gtest.h>

#include "qav/service/http/url_coding.h"
#include "support/test_support.h"

namespace qztest {
namespace {

TEST(UrlCoding, EncodesAndDecodesBackGbkText) {
    struct Case {
        std::string text;
        std::string coded;
    };
    const Case cases[] = {
        {"a b/c", "a+b%2Fc"},
        {"Az09", "Az09"},
        {"\t\n%+", "++%25%2B"},
        {Gbk("上海"), "%C9%CF%BA%A3"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coded);
        EXPECT_EQ(c.coded, qav::strCoding::UrlGB2312(c.text));
        // White space comes back as a blank.
        std::string back = c.text;
        for (char& ch : back)
            if (ch == '\t' || ch == '\n') ch = ' ';
        EXPECT_EQ(back, qav::strCoding::UrlGB2312Decode(c.coded));
        EXPECT_EQ(back, qav::strCoding::UrlUTF8Decode(c.coded));
    }
}

TEST(UrlCoding, Utf8FormConvertsFirst) {
    EXPECT_EQ("%E4%B8%8A%E6%B5%B7+x", qav::strCoding::UrlUTF8(Gbk("上海 x")));
    // Decoding keeps the bytes: UTF-8 stays UTF-8.
    EXPECT_EQ("上海 x", qav::strCoding::UrlUTF8Decode("%E4%B8%8A%E6%B5%B7+x"));
}

TEST(UrlCoding, PercentWithoutTwoCharactersStaysLiterally) {
    struct Case {
        const char* coded;
        const char* text;
    };
    const Case cases[] = {{"%", "%"}, {"ab%", "ab%"}, {"ab%4", "ab%4"}, {"%41%", "A%"}, {"%4142", "A42"}};
    for (const Case& c : cases) EXPECT_EQ(c.text, qav::strCoding::UrlGB2312Decode(c.coded)) << c.coded;
}

TEST(UrlCoding, DigitValues) {
    struct Case {
        char c;
        unsigned value;
    };
    const Case cases[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15}, {'g', 255}, {'%', 255}};
    for (const Case& c : cases) EXPECT_EQ(c.value, qav::strCoding::CharToInt(c.c)) << c.c;
    EXPECT_EQ('\x2F', qav::strCoding::StrToBin("2f"));
    EXPECT_EQ('\xFE', qav::strCoding::StrToBin("fE"));
}

TEST(UrlCoding, CharsetConversionsKeepWholeCharactersWithinTheLimit) {
    std::string out;
    qav::strCoding::UTF8ToGB2312(out, "上海");
    EXPECT_EQ(Gbk("上海"), out);
    qav::strCoding::GB2312ToUTF_8(out, Gbk("上海"));
    EXPECT_EQ("上海", out);

    std::string longText;
    for (int i = 0; i < 4000; ++i) longText += "海";  // 12,000 bytes of UTF-8, 8,000 of GBK
    qav::strCoding::GB2312ToUTF_8(out, Gbk(longText));
    EXPECT_EQ(10239u / 3 * 3, out.size());
    qav::strCoding::UTF8ToGB2312(out, longText + longText);
    EXPECT_EQ(10238u, out.size());
}

}  // namespace
}  // namespace qztest
