// Hits made from offset records: the span rule of each query kind, the wave
// extension and the bracket bytes.
#include <gtest/gtest.h>

#include <vector>

#include "qav/search/atom/make_ret_info.h"
#include "qav/search/search_fixture.h"

using searchtest::IdOf;

namespace {

class MakeRetInfoTest : public ::testing::Test {
protected:
    // Words of 2 ("我", "的") and 4 ("上海") bytes; "x" of 1.
    qav::CWordList words = searchtest::MakeWordList({"我", "上海", "的", "x"});
    std::vector<std::vector<uint32_t>> corpus{std::vector<uint32_t>(700, 0u)};
    qav::RecordCompareContext ctx;
    qav::CAtomSearchQuery query;

    void SetUp() override {
        for (uint32_t i = 0; i < 512; ++i) corpus[0][i] = 0xFFFFFFFFu;
        ctx = searchtest::MakeContext(corpus, words, qav::kLanguageChinese, 10);
        query.waves = {{0, 0}, {0, 1}, {0, 2}, {0, 3}};
    }
    // The words of sentence 600 at index 0.. from the given texts.
    void Place(const std::vector<const char*>& texts, int from = 0) {
        for (size_t i = 0; i < texts.size(); ++i) corpus[0][600 + from + i] = IdOf(words, texts[i]);
    }
    bool Make(int16_t index, qav::CRetInfo& hit, uint8_t span = 0, uint32_t position = 600) {
        qav::OffsetRecordInfo record;
        record.position = position;
        record.wordIndex = index;
        record.span = span;
        record.clause = 7;
        return qav::MakeRetInfo(ctx, query, record, hit);
    }
};

TEST_F(MakeRetInfoTest, LeftCoveringTakesWordsUntilThePatternLength) {
    query.type = qav::UNIT_POS_L;
    query.queryLength = 4;
    query.ids = {1};
    qav::CRetInfo hit;
    Place({"我", "我", "的"});  // two 2-byte words before the anchor at 2
    ASSERT_TRUE(Make(2, hit));
    EXPECT_EQ(0, hit.start);
    EXPECT_EQ(3, hit.length);
    EXPECT_EQ(600u, hit.position);
    EXPECT_EQ(7, hit.clause);

    Place({"上海", "我", "的"});  // 2 + 4 bytes overshoot the pattern
    EXPECT_FALSE(Make(2, hit));
}

TEST_F(MakeRetInfoTest, SpansOfEachKind) {
    struct Case {
        qav::UnitType kind;
        int queryLength, ids;
        int16_t index;
        uint8_t span;
        bool made;
        int start, length;
    } cases[] = {
        {qav::UNIT_POS_R, 4, 1, 2, 0, true, 2, 3},   // two words after the anchor
        {qav::UNIT_POS_R, 0, 0, 2, 0, true, 2, 1},   // empty pattern: the anchor alone
        {qav::UNIT_ML, 4, 1, 1, 3, true, 1, 4},      // the constituent 1..4
        {qav::UNIT_ML, 4, 1, 1, 255, false, 0, 0},   // its end was not found
        {qav::UNIT_ML, 4, 2, 1, 0, false, 0, 0},     // span shorter than the identifiers
        {qav::UNIT_MR, 4, 1, 1, 3, true, 3, 2},      // pattern words ending at 4
        {qav::UNIT_HZ_L, 4, 1, 3, 0, true, 1, 2},
        {qav::UNIT_HZ_L, 0, 0, 3, 0, true, 2, 1},
        {qav::UNIT_HZ_R, 4, 1, 3, 0, true, 4, 2},
        {qav::UNIT_HZ_R, 0, 0, 3, 0, true, 4, 1},
        {qav::UNIT_NONE, 4, 1, 3, 0, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " span " << int(c.span));
        query.type = c.kind;
        query.queryLength = c.queryLength;
        query.ids.assign(static_cast<size_t>(c.ids), 0u);
        qav::CRetInfo hit;
        ASSERT_EQ(c.made, Make(c.index, hit, c.span));
        if (!c.made) continue;
        EXPECT_EQ(c.start, hit.start);
        EXPECT_EQ(c.length, hit.length);
    }
}

TEST_F(MakeRetInfoTest, NoHitWhereTheSentenceOrACoveredWordIsNoWord) {
    query.type = qav::UNIT_POS_L;
    query.queryLength = 4;
    qav::CRetInfo hit;
    EXPECT_FALSE(Make(0, hit, 0, 510));  // sentence position in the header
    EXPECT_FALSE(Make(0, hit, 0, 700));  // past the file
    EXPECT_FALSE(Make(0, hit, 0, 512));  // covering runs into the header
}

TEST_F(MakeRetInfoTest, KnownPlacesOfNoWordAnswerAsTheWordArrayDoes) {
    query.type = qav::UNIT_POS_R;
    Place({"我", "的"});
    corpus[0][650] = 0xFFFFFFFFu;
    const qav::NoWordRuns runs = qav::FindNoWordRuns(corpus[0].data(), static_cast<uint32_t>(corpus[0].size()),
                                                     ctx.WordCount());
    qav::RecordCompareContext known = ctx;
    known.files[0].noWords = &runs;
    for (int64_t place : {-1, 0, 511, 512, 600, 649, 650, 651, 699, 700, 701}) {
        EXPECT_EQ(qav::IsWordAt(known, 0, place), qav::IsWordAt(ctx, 0, place)) << place;
        EXPECT_EQ(qav::IsWordAt(known, 0, place), place >= 512 && place < 700 && place != 650) << place;
    }
    EXPECT_FALSE(qav::IsWordAt(known, 1, 600));  // no such data file

    ctx = known;
    qav::CRetInfo hit;
    EXPECT_TRUE(Make(0, hit, 0, 600));
    EXPECT_FALSE(Make(0, hit, 0, 650));
    EXPECT_FALSE(Make(0, hit, 0, 510));
}

TEST_F(MakeRetInfoTest, WavesWidenOneLeftTwoRight) {
    query.type = qav::UNIT_POS_R;
    query.queryLength = 2;
    query.waves = {{1, 0}, {2, 1}, {0, 2}, {0, 3}};
    qav::CRetInfo hit;
    ASSERT_TRUE(Make(5, hit));
    EXPECT_EQ(4, hit.start);
    EXPECT_EQ(2 + 1 + 2, hit.length);
}

TEST_F(MakeRetInfoTest, WavedLengthIsClampedNotWrapped) {
    query.type = qav::UNIT_ML;
    query.queryLength = 0;
    query.waves = {{3, 0}, {3, 1}, {0, 2}, {0, 3}};
    qav::CRetInfo hit;
    ASSERT_TRUE(Make(1, hit, 254));
    EXPECT_EQ(255, hit.length);
}

TEST_F(MakeRetInfoTest, BracketBytesFromTheMarks) {
    query.type = qav::UNIT_ML;
    query.queryLength = 2;
    query.ids = {0};
    query.waves = {{1, 0}, {1, 1}, {1, 2}, {1, 3}};
    query.brackets = {{1, 0}, {1, 1}, {2, 2}, {0, 3}};
    qav::CRetInfo hit;
    ASSERT_TRUE(Make(2, hit, 4));
    ASSERT_EQ(7, hit.length);  // span 5 plus one wave word each side
    EXPECT_EQ(1, hit.bracket[0]);
    EXPECT_EQ(7 - 1, hit.bracket[1]);
    EXPECT_EQ(1 + 2, hit.bracket[2]);       // a = w1
    EXPECT_EQ(7 - (1 + 1 + 1), hit.bracket[3]);  // b = length - (n + w4 + w2)
    EXPECT_EQ(qav::kNoBracket, hit.bracket[4]);

    query.brackets.assign(7, {0, 0});  // more than six marks: none at all
    ASSERT_TRUE(Make(2, hit, 4));
    for (uint8_t mark : hit.bracket) EXPECT_EQ(qav::kNoBracket, mark);
}

TEST_F(MakeRetInfoTest, EnglishAllowsOneByteForTheLastBlank) {
    ctx.language = qav::kLanguageEnglish;
    query.type = qav::UNIT_POS_R;
    query.queryLength = 3;  // "x x"
    Place({"x", "x", "x", "x"});
    qav::CRetInfo hit;
    ASSERT_TRUE(Make(0, hit));  // 2 + 2 bytes: within pattern + 1
    EXPECT_EQ(3, hit.length);
    query.queryLength = 2;
    Place({"x", "上海"});  // 4 + 1 bytes overshoot the pattern and its blank
    EXPECT_FALSE(Make(0, hit));
}

// The shape a record gives alone is the one of every hit made of it: a join
// tests its meeting place before it makes the hit.
TEST_F(MakeRetInfoTest, TagsWithoutTextGiveTheShapeOfTheirHitsFromTheRecord) {
    Place({"我", "的", "上海"});
    struct Case {
        qav::UnitType kind;
        int queryLength;
        uint32_t before, after;  // waves
        int16_t index;
    } cases[] = {
        {qav::UNIT_POS_L, 0, 0, 0, 1},   {qav::UNIT_POS_R, 0, 0, 0, 1},   {qav::UNIT_POS_L, 0, 1, 2, 1},
        {qav::UNIT_POS_R, 0, 2, 0, 0},   {qav::UNIT_POS_L, 0, 200, 100, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " index " << c.index << " waves " << c.before
                                          << "," << c.after);
        query.type = c.kind;
        query.queryLength = c.queryLength;
        query.waves = {{c.before, 0}, {c.after, 1}, {0, 2}, {0, 3}};
        qav::OffsetRecordInfo record;
        record.position = 600;
        record.wordIndex = c.index;
        int16_t start = 0;
        uint8_t length = 0;
        ASSERT_TRUE(qav::RecordHitShape(query, record, start, length));
        qav::CRetInfo hit;
        ASSERT_TRUE(Make(c.index, hit));
        EXPECT_EQ(hit.start, start);
        EXPECT_EQ(hit.length, length);
    }
    // Where words are covered, or a constituent's span counts, the shape
    // depends on more than the record.
    qav::OffsetRecordInfo record;
    int16_t start = 0;
    uint8_t length = 0;
    for (qav::UnitType kind : {qav::UNIT_POS_L, qav::UNIT_POS_R}) {
        query.type = kind;
        query.queryLength = 2;
        EXPECT_FALSE(qav::RecordHitShape(query, record, start, length)) << kind;
    }
    query.type = qav::UNIT_ML;
    query.queryLength = 0;
    EXPECT_FALSE(qav::RecordHitShape(query, record, start, length));
}

}  // namespace
