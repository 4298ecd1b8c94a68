// Splitting hits into their text parts over hand-made data arrays: widths,
// whole-sentence context, groups and gaps, the byte cap, English blanks, and
// windows at the very ends of the array.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/index/base/config.h"
#include "qav/search/filter/hit_parts.h"
#include "qav/search/atom/ret_info.h"
#include "qav/search/filter/splited_ret.h"
#include "qav/search/search_fixture.h"

namespace {

using qztest::Gbk;

constexpr uint32_t kNoText = 0xFFFFFFFF;

class HitPartsTest : public testing::Test {
protected:
    HitPartsTest() : words_(searchtest::MakeWordList({"我", "爱", "上海", "。", "他", "北京", "去"})) {
        config_.m_SentenceSeperator.insert(Gbk("。"));
        source_.words = &words_;
        source_.config = &config_;
    }

    uint32_t Id(const std::string& utf8) const { return searchtest::IdOf(words_, utf8); }

    // Units of the given words; "-" is a unit without text.
    std::vector<uint32_t> Units(const std::vector<std::string>& utf8) const {
        std::vector<uint32_t> out;
        for (const std::string& w : utf8) out.push_back(w == "-" ? kNoText : Id(w));
        return out;
    }

    static qav::CRetInfo Hit(uint32_t position, int16_t start, uint8_t length, std::vector<uint8_t> bounds = {}) {
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.file_no = 0;
        hit.position = position;
        hit.start = start;
        hit.length = length;
        for (size_t i = 0; i < bounds.size(); ++i) hit.bracket[i] = bounds[i];
        return hit;
    }

    qav::CSplitedRet Split(const std::vector<uint32_t>& data, const qav::CRetInfo& hit, int width) const {
        qav::CSplitedRet parts;
        parts.m_Before = "stale";
        parts.m_Words = {"stale"};
        qav::SplitHit(source_, data.data(), data.size(), hit, width, parts);
        return parts;
    }

    qav::CWordList words_;
    qav::CConfig config_;
    qav::HitPartsSource source_;
};

// Two sentences: 他 爱 北京 。 | 我 爱 上海 。, then 他 去.
TEST_F(HitPartsTest, WidthsAroundAPlainHit) {
    const std::vector<uint32_t> data = Units({"他", "爱", "北京", "。", "我", "爱", "上海", "。", "他", "去"});
    struct Case {
        int width;
        const char *left, *match, *right;
    } cases[] = {
        {0, "", "爱上海", ""},
        {1, "我", "爱上海", "。"},
        {3, "北京。我", "爱上海", "。他去"},
        {600, "他爱北京。我", "爱上海", "。他去"},  // both ends of the array
        {-1, "我", "爱上海", "。"},           // the sentence starts at 4; right ends with its separator
        {-7, "", "爱上海", ""},               // any other negative width takes no context
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const qav::CSplitedRet parts = Split(data, Hit(4, 1, 2), c.width);
        EXPECT_EQ(parts.m_Left, Gbk(c.left));
        EXPECT_EQ(parts.m_Before, Gbk(c.left));  // no groups: Before is Left
        EXPECT_EQ(parts.m_Match, Gbk(c.match));
        EXPECT_EQ(parts.m_Right, Gbk(c.right));
        EXPECT_EQ(parts.m_End, Gbk(c.right));
        EXPECT_TRUE(parts.m_Group1.empty() && parts.m_Group2.empty() && parts.m_Gap12.empty());
    }
}

TEST_F(HitPartsTest, WholeSentenceStopsAtSeparatorsAndAfterFortyUnits) {
    // The hit's sentence starts at 0; a separator before the hit ends the left part.
    std::vector<uint32_t> data = Units({"他", "爱", "。", "北京", "我", "爱"});
    qav::CSplitedRet parts = Split(data, Hit(0, 4, 1), -1);
    EXPECT_EQ(parts.m_Left, Gbk("他爱"));

    // Without a separator the right part takes 40 units.
    data = Units({"我"});
    data.insert(data.end(), 50, Id("爱"));
    parts = Split(data, Hit(0, 0, 1), -1);
    std::string forty;
    for (int i = 0; i < qav::kSentenceRightUnits; ++i) forty += Gbk("爱");
    EXPECT_EQ(parts.m_Right, forty);
}

TEST_F(HitPartsTest, UnitsWithoutTextAreSkippedOnTheLeftAndEndTheRight) {
    const std::vector<uint32_t> data = Units({"他", "-", "爱", "我", "上海", "-", "北京"});
    const qav::CSplitedRet parts = Split(data, Hit(3, 0, 2), 5);
    EXPECT_EQ(parts.m_Left, Gbk("他爱"));
    EXPECT_EQ(parts.m_Match, Gbk("我上海"));
    EXPECT_EQ(parts.m_Right, "");
}

TEST_F(HitPartsTest, GroupsGapsAndWords) {
    // Hit 我 爱 上海 去 at 1..4; group 1 = [0,1), group 2 = [2,3), group 3 = [3,4).
    const std::vector<uint32_t> data = Units({"他", "我", "爱", "上海", "去", "北京", "。"});
    const qav::CSplitedRet parts = Split(data, Hit(0, 1, 4, {0, 1, 2, 3, 3, 4}), 2);
    EXPECT_EQ(parts.m_Before, Gbk("他"));
    EXPECT_EQ(parts.m_Group1, Gbk("我"));
    EXPECT_EQ(parts.m_Gap12, Gbk("爱"));
    EXPECT_EQ(parts.m_Group2, Gbk("上海"));
    EXPECT_EQ(parts.m_Gap23, "");
    EXPECT_EQ(parts.m_Group3, Gbk("去"));
    EXPECT_EQ(parts.m_End, Gbk("北京。"));
    EXPECT_EQ(parts.m_Match, Gbk("我爱上海去"));
    const std::vector<std::string> words = {Gbk("他"), Gbk("北京"), Gbk("。"), Gbk("我"), Gbk("爱"), Gbk("上海"),
                                            Gbk("去")};
    EXPECT_EQ(parts.m_Words, words);  // Before, End, then Match

    // A group whose second bound is not past its first does not exist; End
    // still starts at the last set closing bound.
    const qav::CSplitedRet inverted = Split(data, Hit(0, 1, 4, {0, 1, 3, 2}), 1);
    EXPECT_EQ(inverted.m_Group2, "");
    EXPECT_EQ(inverted.m_End, Gbk("上海"));
}

TEST_F(HitPartsTest, WindowsAtTheEndsOfTheArrayStayInside) {
    const std::vector<uint32_t> data = Units({"我", "爱", "上海"});
    struct Case {
        qav::CRetInfo hit;
        int width;
        const char *left, *match, *right;
    } cases[] = {
        {Hit(0, 0, 1), 600, "", "我", "爱上海"},
        {Hit(2, 0, 1), 600, "我爱", "上海", ""},
        {Hit(2, 0, 5), -1, "", "上海", ""},       // a hit running past the end
        {Hit(0, -3, 4), 600, "", "", "爱上海"},    // a hit starting before the array
        {Hit(1, 0, 1, {0x80, 0x81}), 600, "我", "爱", "上海"},  // group bounds far before the array
        {Hit(2, 0, 1, {1, 0x7F, 2, 0x7E}), 600, "我爱", "上海", ""},  // and far after it
    };
    for (const Case& c : cases) {
        const qav::CSplitedRet parts = Split(data, c.hit, c.width);
        EXPECT_EQ(parts.m_Left, Gbk(c.left));
        EXPECT_EQ(parts.m_Match, Gbk(c.match));
        EXPECT_EQ(parts.m_Right, Gbk(c.right));
    }
}

TEST_F(HitPartsTest, EqualSpanSignaturesGiveEqualMatchGroupsAndGaps) {
    // Two copies of 我 爱 上海 去 in other context; the second ends the array
    // where the first has a unit without text.
    const std::vector<uint32_t> data = Units({"他", "我", "爱", "上海", "去", "-", "北京", "我", "爱", "上海", "去"});
    const std::vector<uint8_t> groups = {0, 1, 2, 3, 3, 4};
    struct Case {
        qav::CRetInfo a, b;
        bool same;
    } cases[] = {
        {Hit(0, 1, 4, groups), Hit(6, 1, 4, groups), true},                  // only the context differs
        {Hit(0, 1, 5, groups), Hit(6, 1, 5, groups), true},                  // no text, or past the end
        {Hit(0, 1, 4, groups), Hit(6, 1, 4, {0, 1, 2, 4}), false},           // other groups
        {Hit(0, 1, 4, groups), Hit(6, 1, 3, groups), false},                 // other length
        {Hit(1, 1, 1, {0xFE, 1}), Hit(7, 1, 1, {0xFE, 1}), false},           // a group reaching 他 or 北京
        {Hit(0, 2, 2), Hit(6, 2, 2), true},                                  // no groups
    };
    for (const Case& c : cases) {
        std::string a, b;
        qav::HitSpanSignature(data.data(), data.size(), c.a, a);
        qav::HitSpanSignature(data.data(), data.size(), c.b, b);
        EXPECT_EQ(a == b, c.same) << c.a.position << " " << int{c.b.length};
        // The packed form, for windows of at most four units, tells the same.
        qav::PackedSpanSignature packedA{}, packedB{};
        const bool packedBoth = qav::PackHitSpanSignature(data.data(), data.size(), c.a, packedA) &
                                qav::PackHitSpanSignature(data.data(), data.size(), c.b, packedB);
        const size_t packedBytes = 1 + qav::kBracketCount + qav::kPackedSpanUnits * sizeof(uint32_t);
        EXPECT_EQ(packedBoth, a.size() <= packedBytes && b.size() <= packedBytes) << c.a.position;
        if (packedBoth) {
            EXPECT_EQ(packedA == packedB, c.same) << c.a.position << " " << int{c.b.length};
        }
        if (a != b) continue;
        const qav::CSplitedRet x = Split(data, c.a, 0), y = Split(data, c.b, 0);
        EXPECT_EQ(x.m_Match, y.m_Match);
        EXPECT_EQ(x.m_Group1, y.m_Group1);
        EXPECT_EQ(x.m_Group2, y.m_Group2);
        EXPECT_EQ(x.m_Group3, y.m_Group3);
        EXPECT_EQ(x.m_Gap12, y.m_Gap12);
        EXPECT_EQ(x.m_Gap23, y.m_Gap23);
    }
}

TEST_F(HitPartsTest, PartsStopAtTheByteCap) {
    qav::CWordList longWords = searchtest::MakeWordList({"我"});
    qav::CWord big;
    big.text = std::string(2000, 'x');
    big.id = 1;
    longWords.words_by_id.push_back(big);
    qav::HitPartsSource source = source_;
    source.words = &longWords;
    const std::vector<uint32_t> data = {1, 1, 1, 0, 1, 1, 1, 1};
    qav::CSplitedRet parts;
    qav::SplitHit(source, data.data(), data.size(), Hit(3, 0, 5), 3, parts);
    EXPECT_EQ(parts.m_Left, std::string(4000, 'x'));   // the third would pass 4,095 bytes: the part ends
    EXPECT_EQ(parts.m_Match.size(), 2 + 2000u * 2);   // 我 and two of the four
    EXPECT_EQ(parts.m_Right, "");
}

TEST_F(HitPartsTest, EnglishWordsCarryBlanks) {
    const qav::CWordList english = searchtest::MakeWordList({"the", "dog", "barks", "."});
    qav::HitPartsSource source = source_;
    source.words = &english;
    source.english = true;
    const std::vector<uint32_t> data = {0, 1, 2, 3};
    qav::CSplitedRet parts;
    qav::SplitHit(source, data.data(), data.size(), Hit(0, 1, 2, {0, 1}), 1, parts);
    EXPECT_EQ(parts.m_Left, "the ");
    EXPECT_EQ(parts.m_Match, "dog barks");
    EXPECT_EQ(parts.m_Right, ". ");
    EXPECT_EQ(parts.m_Group1, "dog");
}

}  // namespace
