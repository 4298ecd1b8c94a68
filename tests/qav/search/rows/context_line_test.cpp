// Assembly of context rows: the body each print flag chooses, the cut to the
// group section of the match, and the line's byte limit.
#include <gtest/gtest.h>

#include <string>

#include "qav/search/rows/context_line.h"
#include "qav/search/filter/splited_ret.h"

namespace {

const std::string kSep = "\xF7\xFE";

TEST(ContextLine, ExtractQSection) {
    struct Case {
        std::string text, section;
    } cases[] = {
        {"ab<Q>cd</Q>ef", "ab<Q>cd</Q>ef"},
        {"abcd", ""},                                   // no match mark
        {"ab</Q>cd<Q>ef", ""},                          // the close mark first
        {"ab<Q>cd", ""},
        {"x" + kSep + "ab<Q>cd</Q>ef", "ab<Q>cd</Q>ef"},  // starts after the separator on the left
        {"x" + kSep + "y" + kSep + "<Q>c</Q>", "<Q>c</Q>"},  // the last one before the mark
        {"ab<Q>cd</Q>e" + kSep + "f" + kSep, "ab<Q>cd</Q>e"},  // ends before the first one after
        {"a<Q>b" + kSep + "c</Q>d", "a<Q>b" + kSep + "c</Q>d"},  // one inside the match is kept
        // 0xB0 0xF7 then 0xFE 0xA1: two characters, no separator between them.
        {"\xB0\xF7\xFE\xA1<Q>c</Q>", "\xB0\xF7\xFE\xA1<Q>c</Q>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(qav::ExtractQSection(c.text), c.section);
    }
}

TEST(ContextLine, CutByGroupKeepsTheHead) {
    struct Case {
        std::string line, cut;
    } cases[] = {
        {"name#@ID#abc#@#x" + kSep + "l<Q>m</Q>r", "name#@ID#abc#@#l<Q>m</Q>r"},
        {"name#@ID#abc#@#no marks", "name#@ID#abc#@#"},  // only the prefix stays
        {"x" + kSep + "l<Q>m</Q>r", "l<Q>m</Q>r"},       // no head
        {"plain", ""},
    };
    for (const Case& c : cases) {
        std::string line = c.line;
        qav::CutByGroup(line);
        EXPECT_EQ(line, c.cut);
    }
}

TEST(ContextLine, BodiesByPrintFlag) {
    qav::CSplitedRet p;
    p.m_Before = "B";
    p.m_Group1 = "1";
    p.m_Gap12 = "g";
    p.m_Group2 = "2";
    p.m_Gap23 = "h";
    p.m_Group3 = "3";
    p.m_End = "E";
    p.m_Left = "L";
    p.m_Match = "M";
    p.m_Right = "R";
    struct Case {
        int flag;  // kPrintFlagCount: none set
        const char* body;
    } cases[] = {
        {qav::kPrint1, "B<Q>1</Q>g2h3E"},
        {qav::kPrint2, "B1g<Q>2</Q>h3E"},
        {qav::kPrint3, "B1g2h<Q>3</Q>E"},
        {qav::kPrintB, "<B>L</B><Q>M</Q>R"},
        {qav::kPrintE, "L<Q>M</Q><E>R</E>"},
        {qav::kPrint12, "B<Q>1</Q>g<Q>2</Q>h3E"},
        {qav::kPrint23, "B1g<Q>2</Q>h<Q>3</Q>E"},
        {qav::kPrint13, "B<Q>1</Q>g2h<Q>3</Q>E"},
        {qav::kPrint123, "B<Q>1</Q>g<Q>2</Q>h<Q>3</Q>E"},
        {qav::kPrintFlagCount, "L<Q>M</Q>R"},
    };
    for (const Case& c : cases) {
        std::array<bool, qav::kPrintFlagCount> print{};
        if (c.flag < qav::kPrintFlagCount) print[c.flag] = true;
        std::string line = "P#@#";
        qav::AppendContextBody(p, print, line);
        EXPECT_EQ(line, std::string("P#@#") + c.body) << c.flag;
    }
    // The first flag set in table order wins.
    std::array<bool, qav::kPrintFlagCount> both{};
    both[qav::kPrintE] = both[qav::kPrint2] = true;
    std::string line;
    qav::AppendContextBody(p, both, line);
    EXPECT_EQ(line, "B1g<Q>2</Q>h3E");
}

TEST(ContextLine, LineStopsAtItsLimitWithoutSplittingACharacter) {
    qav::CSplitedRet p;
    p.m_Left = "\xB0\xAE";
    struct Case {
        size_t filled;
        std::string tail;  // what the body adds
    } cases[] = {
        {qav::kContextLineMaxBytes - 1, ""},  // one byte left: no half character
        {qav::kContextLineMaxBytes - 3, "\xB0\xAE<"},
        {qav::kContextLineMaxBytes + 5, ""},  // a line already past the limit gets nothing
    };
    for (const Case& c : cases) {
        std::string line(c.filled, 'x');
        qav::AppendContextBody(p, {}, line);
        ASSERT_EQ(line.size(), c.filled + c.tail.size());
        EXPECT_EQ(line.substr(c.filled), c.tail);
    }
}

}  // namespace
