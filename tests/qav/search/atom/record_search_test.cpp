#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/platform/zq_sort.h"
#include "qav/index/engine/hash_table.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/record_search.h"
#include "qav/search/atom/segment.h"
#include "qav/search/search_fixture.h"

using qztest::Gbk;
using searchtest::IdOf;
using searchtest::MakeContext;
using searchtest::MakeWordList;
using searchtest::Record;

namespace {

constexpr int kWidth = 4;  // context words records are sorted by

// Sorted records of one unit kind over a random corpus, with the text each
// record's context reads in reading order, for checking searches against a
// plain scan.
struct SortedUnit {
    qav::UnitType kind;
    int width;
    std::vector<unsigned char> records;
    // Context of kWidth words in reading order; `valid` false when the
    // record has no full context and can never match.
    std::vector<std::string> contextText;
    std::vector<bool> valid;

    int64_t count() const { return static_cast<int64_t>(valid.size()); }
};

class RecordSearchTest : public ::testing::TestWithParam<int> {
protected:
    int language = GetParam();
    qav::CWordList words = language == qav::kLanguageChinese
                          ? MakeWordList({"中", "国", "人", "我", "爱", "中国", "国人", "爱国"})
                          : MakeWordList({"the", "big", "dog", "a", "ab", "c", "bc"});
    std::vector<std::vector<uint32_t>> corpus;
    std::mt19937 random{12345};
    qav::CHashTable units{11};

    void SetUp() override {
        // Two data files: a header, random words (some identifiers are no
        // words and add no text), a tail.
        for (int f = 0; f < 2; ++f) {
            std::vector<uint32_t> file(6, qav::kNotAWord);
            for (int i = 0; i < 120; ++i)
                file.push_back(random() % 12 == 0 ? 40 : static_cast<uint32_t>(random() % words.words.size()));
            file.insert(file.end(), 6, qav::kNotAWord);
            corpus.push_back(file);
        }
    }

    std::string WordText(uint32_t id) const {
        const qav::CWord* w = words.No2Word(id);
        if (!w) return "";
        return language == qav::kLanguageEnglish ? w->text + " " : w->text;
    }

    // Reading-order text of the kWidth context words of anchor position a.
    bool ContextOf(qav::UnitType kind, int fileNo, int64_t anchor, int span, std::string& text) const {
        const std::vector<uint32_t>& file = corpus[fileNo];
        const int64_t n = static_cast<int64_t>(file.size());
        int64_t first = 0;
        if (kind == qav::UNIT_POS_L) {
            if (anchor < kWidth || anchor >= n) return false;
            first = anchor - kWidth;
        } else if (kind == qav::UNIT_POS_R) {
            if (anchor + 1 + kWidth > n || anchor + 1 < 0) return false;
            first = anchor + 1;
        } else {
            if (span == 255 || anchor + span < kWidth || anchor + span >= n) return false;
            first = anchor + span - kWidth + 1;
        }
        text.clear();
        for (int64_t i = first; i < first + kWidth; ++i) text += WordText(file[i]);
        return true;
    }

    SortedUnit MakeUnit(qav::UnitType kind, int n) {
        SortedUnit unit{kind, qav::SearchRecordWidth(kind), {}, {}, {}};
        for (int i = 0; i < n; ++i) {
            const uint8_t fileNo = random() % 25 == 0 ? 255 : static_cast<uint8_t>(random() % 2);
            const uint32_t position = static_cast<uint32_t>(random() % 128);
            const auto index = static_cast<int16_t>(random() % 5);
            const uint8_t span = random() % 15 == 0 ? 255 : static_cast<uint8_t>(random() % 3);
            const auto r = Record(position, index, fileNo, 0, unit.width, span);
            unit.records.insert(unit.records.end(), r.begin(), r.end());
        }
        qav::RecordCompareContext ctx = Context();
        zq_quicksort_ex(unit.records.data(), n, unit.width, qav::SortComparatorOfKind(kind), &ctx);
        for (int i = 0; i < n; ++i) {
            const unsigned char* r = &unit.records[i * unit.width];
            std::string text;
            const uint8_t fileNo = r[6];
            const int64_t anchor = static_cast<int64_t>(r[0] | r[1] << 8 | r[2] << 16 | r[3] << 24) +
                                   static_cast<int16_t>(r[4] | r[5] << 8);
            const bool ok = fileNo < 2 && ContextOf(kind, fileNo, anchor, unit.width == 9 ? r[8] : 0, text);
            unit.valid.push_back(ok);
            unit.contextText.push_back(ok ? text : "");
        }
        return unit;
    }

    qav::RecordCompareContext Context() const { return MakeContext(corpus, words, language, kWidth); }

    static const char* UnitText(qav::UnitType kind) {
        return kind == qav::UNIT_POS_L ? "x_n|" : kind == qav::UNIT_POS_R ? "|n_x" : "$NP_x";
    }

    bool Matches(const SortedUnit& unit, int64_t i, const std::string& pattern) const {
        if (!unit.valid[i]) return false;
        std::string text = unit.contextText[i];
        if (unit.kind == qav::UNIT_POS_R) return text.compare(0, pattern.size(), pattern) == 0;
        if (language == qav::kLanguageEnglish && !text.empty()) text.pop_back();  // the blank after the last word
        return text.size() >= pattern.size() && text.compare(text.size() - pattern.size(), pattern.size(), pattern) == 0;
    }

    // GetLowHigh finds exactly the records a linear scan finds.
    void CheckPattern(const SortedUnit& unit, const std::string& pattern) {
        qav::CAtomSearchQuery query;
        ASSERT_TRUE(query.SetAtomSearchQuery({&units, &words, language}, UnitText(unit.kind), pattern, "", "", "",
                                             ""));
        const qav::RecordCompareContext ctx = Context();
        std::vector<int64_t> expected;
        for (int64_t i = 0; i < unit.count(); ++i) {
            if (Matches(unit, i, pattern)) expected.push_back(i);
            int cmp = 7;
            ASSERT_TRUE(qav::CmpFunc(ctx, unit.records.data(), i, query.pattern, query.ids.data(), query.idCount(),
                                unit.kind, cmp, 0, unit.count() - 1));
            ASSERT_EQ(cmp == 0, Matches(unit, i, pattern)) << "record " << i << " pattern " << pattern;
        }
        int64_t low = -1;
        int64_t high = -1;
        const bool found = qav::GetLowHigh(ctx, unit.records.data(), unit.count(), query, unit.kind, low, high);
        ASSERT_EQ(found, !expected.empty()) << "kind " << unit.kind << " pattern " << pattern;
        if (!found) return;
        EXPECT_EQ(low, expected.front()) << "kind " << unit.kind << " pattern " << pattern;
        EXPECT_EQ(high, expected.back()) << "kind " << unit.kind << " pattern " << pattern;
        EXPECT_EQ(static_cast<int64_t>(expected.size()), high - low + 1) << "matches are not contiguous";
    }
};

// Every pattern that is a piece of some record's context next to its anchor
// (whole characters in Chinese, whole words in English, up to the sort
// width), and some that occur nowhere.
TEST_P(RecordSearchTest, BisectionFindsExactlyWhatAScanFinds) {
    for (qav::UnitType kind : {qav::UNIT_POS_L, qav::UNIT_POS_R, qav::UNIT_ML}) {
        const SortedUnit unit = MakeUnit(kind, 160);
        for (int64_t i = 0; i < unit.count(); i += 7) {
            if (!unit.valid[i]) continue;
            const std::string& text = unit.contextText[i];
            std::vector<std::string> pieces;  // characters or words of the context in reading order
            if (language == qav::kLanguageChinese) {
                for (size_t c = 0; c + 1 < text.size(); c += 2) pieces.push_back(text.substr(c, 2));
            } else {
                for (size_t c = 0; c < text.size();) {
                    const size_t blank = text.find(' ', c);
                    pieces.push_back(text.substr(c, blank - c));
                    c = blank + 1;
                }
            }
            const std::string joiner = language == qav::kLanguageEnglish ? " " : "";
            for (size_t length = 1; length <= pieces.size(); ++length) {
                std::string pattern;
                for (size_t p = 0; p < length; ++p) {
                    const size_t at = kind == qav::UNIT_POS_R ? p : pieces.size() - length + p;
                    pattern += (p ? joiner : "") + pieces[at];
                }
                CheckPattern(unit, pattern);
            }
        }
        if (language == qav::kLanguageChinese) {
            for (const char* absent : {"我我我", "人爱中国", "他"}) CheckPattern(unit, Gbk(absent));
        } else {
            for (const char* absent : {"dog dog dog", "c the a", "cat"}) CheckPattern(unit, absent);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, RecordSearchTest, ::testing::Values(qav::kLanguageChinese, qav::kLanguageEnglish));

class RecordRangeTest : public ::testing::Test {
protected:
    qav::CWordList words = MakeWordList({"我", "中", "爱", "他"});
    // Right of position 0 is 我, of position 2 is 中: records anchored there
    // compare 0 and > 0 with the kind-4 pattern 我.
    const std::vector<std::vector<uint32_t>> files = {
        {IdOf(words, "他"), IdOf(words, "我"), IdOf(words, "他"), IdOf(words, "中")}};
    qav::RecordCompareContext ctx = MakeContext(files, words, qav::kLanguageChinese, 1);
    qav::CAtomSearchQuery query;
    qav::CHashTable units{11};

    std::vector<unsigned char> Unit(int64_t n, const std::vector<int64_t>& matching) {
        std::vector<unsigned char> records;
        for (int64_t i = 0; i < n; ++i) {
            const bool match = std::find(matching.begin(), matching.end(), i) != matching.end();
            const auto r = Record(match ? 0 : 2, 0, 0);
            records.insert(records.end(), r.begin(), r.end());
        }
        return records;
    }
};

TEST_F(RecordRangeTest, SampledScanWhenTheOrderIsBroken) {
    ASSERT_TRUE(query.SetAtomSearchQuery({&units, &words, qav::kLanguageChinese}, "|v", Gbk("我"), "", "", "", ""));
    const struct Case {
        int64_t n;
        std::vector<int64_t> matching;
        bool found;
        int64_t low, high;
    } cases[] = {
        // Step 2: the probe finds 54; two misses in a row are bridged, three end the walk.
        {150, {51, 53, 54, 57, 61}, true, 51, 57},
        // Only odd records match: every second record is probed, none of them.
        {150, {51, 53}, false, 0, 0},
        // Step 1 up to 100 records: one miss is bridged, two end the walk.
        {100, {51, 53, 56}, true, 51, 53},
    };
    for (const Case& c : cases) {
        const std::vector<unsigned char> records = Unit(c.n, c.matching);
        int64_t low = -1;
        int64_t high = -1;
        ASSERT_EQ(qav::GetLowHigh(ctx, records.data(), c.n, query, qav::UNIT_POS_R, low, high), c.found) << c.n;
        if (!c.found) continue;
        EXPECT_EQ(low, c.low);
        EXPECT_EQ(high, c.high);
    }
}

TEST_F(RecordRangeTest, EmptyPatternIsEveryRecordAndNoRecordsIsNoRange) {
    ASSERT_TRUE(query.SetAtomSearchQuery({&units, &words, qav::kLanguageChinese}, "|v", "", "", "", "", ""));
    const std::vector<unsigned char> records = Unit(5, {2});
    int64_t low = -1;
    int64_t high = -1;
    ASSERT_TRUE(qav::GetLowHigh(ctx, records.data(), 5, query, qav::UNIT_POS_R, low, high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 4);
    EXPECT_FALSE(qav::GetLowHigh(ctx, records.data(), 0, query, qav::UNIT_POS_R, low, high));
}

TEST_F(RecordRangeTest, CmpFuncRefusesIndexesOutsideTheWindow) {
    const std::vector<unsigned char> records = Unit(3, {0});
    int cmp = 42;
    EXPECT_FALSE(qav::CmpFunc(ctx, records.data(), 3, Gbk("我"), nullptr, 0, qav::UNIT_POS_R, cmp, 0, 2));
    EXPECT_FALSE(qav::CmpFunc(ctx, records.data(), 0, Gbk("我"), nullptr, 0, qav::UNIT_POS_R, cmp, 1, 2));
    EXPECT_EQ(cmp, 42);
    EXPECT_TRUE(qav::CmpFunc(ctx, records.data(), 0, Gbk("我"), nullptr, 0, qav::UNIT_POS_R, cmp, 0, 2));
    EXPECT_EQ(cmp, 0);
    // A kind-3 anchor with fewer than the sort width of words before it never matches.
    EXPECT_TRUE(qav::CmpFunc(ctx, records.data(), 0, "", nullptr, 0, qav::UNIT_POS_L, cmp, 0, 2));
    EXPECT_EQ(cmp, 1);
}

}  // namespace
