#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/platform/zq_sort.h"
#include "qav/index/engine/hash_table.h"
#include "qav/search/atom/atom_query.h"
#include "qav/index/format/record_compare.h"
#include "qav/search/atom/record_search.h"
#include "qav/search/atom/segment.h"
#include "qav/search/search_fixture.h"

using qztest::Gbk;
using searchtest::IdOf;
using searchtest::MakeContext;
using searchtest::MakeWordList;
using searchtest::Record;

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(ReverseWord, ByLanguage) {
    struct Case {
        std::string text;
        int language;
        std::string expected;
    } cases[] = {
        {Gbk("中国人"), qav::kLanguageChinese, Gbk("人国中")},
        {Gbk("中国") + "a", qav::kLanguageChinese, Gbk("国中")},  // odd trailing byte dropped
        {"a", qav::kLanguageChinese, ""},
        {"ab", qav::kLanguageChinese, "ab"},  // ASCII letters pair like any bytes
        {"", qav::kLanguageChinese, ""},
        {"dog", qav::kLanguageEnglish, "god"},
        {"dog", 2, "dog"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        qav::ReverseWord(text, c.language);
        EXPECT_EQ(text, c.expected) << qztest::Utf8(c.text) << " " << c.language;
    }
}

class SortOrderTest : public ::testing::Test {
protected:
    qav::CWordList words = MakeWordList({"我", "爱", "上海", "北京", "他", "去"});
    uint32_t W(const char* w) { return IdOf(words, w); }
};

TEST_F(SortOrderTest, RecordsWithoutFullContextSortLast) {
    // L = 2; file 0: 我 爱 上海 我 爱 北京
    std::vector<std::vector<uint32_t>> corpus = {{W("我"), W("爱"), W("上海"), W("我"), W("爱"), W("北京")}};
    qav::RecordCompareContext ctx = MakeContext(corpus, words, qav::kLanguageChinese, 2);
    auto order = [](const char* a, const char* b) { return Sign(Gbk(a).compare(Gbk(b))); };
    const struct Case {
        const char* what;
        qav::RecordSortCompare compare;
        std::vector<unsigned char> a, b;
        int expected;
    } cases[] = {
        {"kind 3 anchor 1 < L sorts after anchor 2", qav::Cmp_TagL, Record(0, 1, 0), Record(0, 2, 0), 1},
        {"kind 3 same left context is equal", qav::Cmp_TagL, Record(0, 2, 0), Record(3, 2, 0), 0},
        {"kind 3 by reversed left context", qav::Cmp_TagL, Record(0, 2, 0), Record(3, 1, 0), order("爱我", "我海上")},
        {"kind 3 anchor past the file sorts last", qav::Cmp_TagL, Record(0, 6, 0), Record(0, 3, 0), 1},
        {"kind 4 context running past the end sorts last", qav::Cmp_TagR, Record(4, 0, 0), Record(0, 0, 0), 1},
        {"kind 4 context up to the last word is in range", qav::Cmp_TagR, Record(3, 0, 0), Record(4, 0, 0), -1},
        {"missing data file sorts after a valid one", qav::Cmp_TagR, Record(0, 0, 255), Record(4, 0, 0), 1},
        {"two missing data files are equal", qav::Cmp_TagR, Record(0, 0, 255), Record(0, 0, 7), 0},
        {"kind 5 unknown span sorts last", qav::Cmp_ML, Record(0, 0, 0, 0, 9, 255), Record(0, 0, 0, 0, 9, 5), 1},
        {"kind 5 from the constituent's last word", qav::Cmp_ML, Record(0, 1, 0, 0, 9, 1), Record(0, 2, 0, 0, 9, 3),
         order("海上爱", "京北爱")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sign(c.compare(c.a.data(), c.b.data(), &ctx)), c.expected) << c.what;
        EXPECT_EQ(Sign(c.compare(c.b.data(), c.a.data(), &ctx)), -c.expected) << c.what << " (swapped)";
    }
}

TEST(SortOrder, EnglishBlankFollowsEachWord) {
    qav::CWordList words = MakeWordList({"a", "bc", "ab", "c"});
    // file 0: x a bc ; file 1: x ab c  (x = anchor, not a word)
    std::vector<std::vector<uint32_t>> corpus = {{99, 0, 1}, {99, 2, 3}};
    qav::RecordCompareContext ctx = MakeContext(corpus, words, qav::kLanguageEnglish, 2);
    const auto first = Record(0, 0, 0);
    const auto second = Record(0, 0, 1);
    EXPECT_LT(qav::Cmp_TagR(first.data(), second.data(), &ctx), 0);  // "a bc " < "ab c "
}

// The sort comparators agree with the order of the context texts built
// whole, word by word, across languages and word texts that make reading the
// contexts in pieces tricky: odd lengths, empty words, texts that part
// inside a word or across a word boundary, bytes above 0x7F.
TEST(SortOrder, ComparatorsMatchTheWholeContextTexts) {
    const std::vector<std::string> texts = {"中", "国", "中国", "国人", "中a", "", "a", "ab", "b"};
    qav::CWordList words = MakeWordList(texts);
    std::mt19937 random(11);
    std::vector<std::vector<uint32_t>> corpus(2);
    for (auto& file : corpus)
        for (int i = 0; i < 40; ++i) file.push_back(random() % 11);  // 9 and 10 are no words
    for (int language : {qav::kLanguageChinese, qav::kLanguageEnglish, 2}) {
        for (int contextWords : {1, 3}) {
            qav::RecordCompareContext ctx = MakeContext(corpus, words, language, contextWords);
            for (qav::UnitType kind : {qav::UNIT_POS_L, qav::UNIT_POS_R, qav::UNIT_ML}) {
                // The whole context text, or nothing for a record without one.
                auto context = [&](const std::vector<unsigned char>& record, std::string& text) {
                    qav::RecordContextStart start;
                    if (!qav::GetRecordContextStart(ctx, record.data(), kind, start)) return false;
                    text.clear();
                    for (int64_t k = 0; k < contextWords; ++k) {
                        const int64_t at = start.start + (start.leftward ? -k : k);
                        const std::string* word = ctx.WordText(start.file->words[at]);
                        if (!word) continue;
                        std::string piece = *word;
                        if (start.leftward) qav::ReverseWord(piece, language);
                        text += piece;
                        if (language == qav::kLanguageEnglish) text += ' ';
                    }
                    return true;
                };
                const qav::RecordSortCompare compare = qav::SortComparatorOfKind(kind);
                const int width = qav::SearchRecordWidth(kind);
                for (int trial = 0; trial < 400; ++trial) {
                    const auto a = Record(random() % 40, 0, random() % 2, 0, width, random() % 3);
                    const auto b = Record(random() % 40, 0, random() % 2, 0, width, random() % 3);
                    std::string textA;
                    std::string textB;
                    const bool inA = context(a, textA);
                    const bool inB = context(b, textB);
                    const int expected = !inA || !inB ? Sign(int{inB} - int{inA}) : Sign(textA.compare(textB));
                    ASSERT_EQ(Sign(compare(a.data(), b.data(), &ctx)), expected)
                        << "kind " << kind << " language " << language << " L " << contextWords << ": "
                        << qztest::Utf8(textA) << " | " << qztest::Utf8(textB);
                }
            }
        }
    }
}

// The sort comparators give a total preorder: sorting and then comparing
// every pair agrees, and swapping the arguments flips the sign.
TEST(SortOrder, ComparatorsAreConsistentOverRandomRecords) {
    qav::CWordList words = MakeWordList({"中", "国", "人", "中国", "国人", "我"});
    std::mt19937 random(7);
    std::vector<std::vector<uint32_t>> corpus(2);
    for (auto& file : corpus)
        for (int i = 0; i < 60; ++i) file.push_back(random() % 8);  // 6 and 7 are no words
    for (int language : {qav::kLanguageChinese, qav::kLanguageEnglish}) {
        qav::RecordCompareContext ctx = MakeContext(corpus, words, language, 3);
        for (qav::UnitType kind : {qav::UNIT_POS_L, qav::UNIT_POS_R, qav::UNIT_ML}) {
            const int width = qav::SearchRecordWidth(kind);
            std::vector<unsigned char> records;
            const int n = 200;
            for (int i = 0; i < n; ++i) {
                const uint8_t file = random() % 10 == 0 ? 255 : random() % 2;
                const auto r = Record(random() % 64, static_cast<int16_t>(random() % 5) - 1, file, 0, width,
                                      random() % 20 == 0 ? 255 : random() % 4);
                records.insert(records.end(), r.begin(), r.end());
            }
            const qav::RecordSortCompare compare = qav::SortComparatorOfKind(kind);
            zq_quicksort_ex(records.data(), n, width, compare, &ctx);
            for (int i = 0; i < n; ++i) {
                for (int j = i; j < n; ++j) {
                    const int forward = compare(&records[i * width], &records[j * width], &ctx);
                    ASSERT_LE(forward, 0) << "kind " << kind << " at " << i << "," << j;
                    ASSERT_EQ(Sign(compare(&records[j * width], &records[i * width], &ctx)), -Sign(forward));
                }
            }
        }
    }
    EXPECT_EQ(qav::SortComparatorOfKind(qav::UNIT_MR), nullptr);
}

TEST(QueryCompare, CharactersNotWordBoundaries) {
    qav::CWordList words = MakeWordList({"心中", "国", "中国", "我", "爱"});
    const std::vector<std::vector<uint32_t>> files = {{IdOf(words, "心中"), IdOf(words, "国"), IdOf(words, "爱")}};
    qav::RecordCompareContext ctx = MakeContext(files, words, qav::kLanguageChinese, 2);
    const qav::CorpusFile corpus = ctx.files[0];
    const uint32_t ids[] = {IdOf(words, "中国")};
    // Left of 爱: 国, then 心中; the pattern 中国 ends the text "心中国".
    EXPECT_EQ(qav::Cmp_LEx(ctx, corpus, 1, Gbk("中国"), ids, 1), 0);
    EXPECT_NE(qav::Cmp_LEx(ctx, corpus, 1, Gbk("我国"), ids, 1), 0);
    // Right of 心中: 国 爱; "国爱" continues it, "国我" does not.
    const uint32_t none[] = {qav::kNotAWord};
    EXPECT_EQ(qav::Cmp_REx(ctx, corpus, 1, Gbk("国爱"), none, 1), 0);
    EXPECT_EQ(Sign(qav::Cmp_REx(ctx, corpus, 1, Gbk("国我"), none, 1)), Sign(Gbk("国爱").compare(Gbk("国我"))));
}

// The identifiers only say where the pattern's words are: the blanks the
// segmentation skips between them are no text, and a word the identifiers
// leave out still has to be found in the context.
TEST(QueryCompare, IdentifiersCutThePatternIntoWords) {
    qav::CWordList chinese = MakeWordList({"我", "爱"});
    const std::vector<std::vector<uint32_t>> chineseFiles = {{0, 1, 0}};
    qav::RecordCompareContext chineseCtx = MakeContext(chineseFiles, chinese, qav::kLanguageChinese, 2);
    const uint32_t bothIds[] = {0, 1};
    EXPECT_EQ(qav::Cmp_LEx(chineseCtx, chineseCtx.files[0], 1, Gbk("我 爱"), bothIds, 2), 0);
    EXPECT_EQ(qav::Cmp_REx(chineseCtx, chineseCtx.files[0], 1, Gbk("爱 我"), std::vector<uint32_t>{1, 0}.data(), 2), 0);

    qav::CWordList english = MakeWordList({"the", "dog", "xyz"});
    const std::vector<std::vector<uint32_t>> englishFiles = {{0, 1, 0}};  // the dog the
    qav::RecordCompareContext englishCtx = MakeContext(englishFiles, english, qav::kLanguageEnglish, 2);
    // "xyz" is not among the identifiers (as for a word the word list lacks).
    const uint32_t theDog[] = {0, 1};
    EXPECT_EQ(qav::Cmp_LEx(englishCtx, englishCtx.files[0], 1, "the dog", theDog, 2), 0);
    EXPECT_NE(qav::Cmp_LEx(englishCtx, englishCtx.files[0], 1, "the xyz dog", theDog, 2), 0);
}

TEST(QueryCompare, EnglishRestComparesWithoutTheSeparatingBlank) {
    qav::CWordList words = MakeWordList({"the", "big", "dog", "red"});
    const std::vector<std::vector<uint32_t>> files = {{0, 1, 2, 3}};  // the big dog red
    qav::RecordCompareContext ctx = MakeContext(files, words, qav::kLanguageEnglish, 2);
    const qav::CorpusFile corpus = ctx.files[0];
    // The last word (dog) is matched by identifier; the rest "g" must end "big".
    const uint32_t ids[] = {IdOf(words, "red"), IdOf(words, "dog")};
    EXPECT_EQ(qav::Cmp_LEx(ctx, corpus, 2, "g dog", ids, 2), 0);
    EXPECT_NE(qav::Cmp_LEx(ctx, corpus, 2, "x dog", ids, 2), 0);
}

TEST(QueryCompare, HeaderBlockNeverMatchesAPatternRestThatIsNoWord) {
    qav::CWordList words = MakeWordList({"我", "爱"});
    // Two header words, then 我 爱.
    const std::vector<std::vector<uint32_t>> files = {{qav::kNotAWord, qav::kNotAWord, 0, 1}};
    qav::RecordCompareContext ctx = MakeContext(files, words, qav::kLanguageChinese, 2);
    const qav::CorpusFile corpus = ctx.files[0];
    const uint32_t ids[] = {qav::kNotAWord};
    EXPECT_NE(qav::Cmp_LEx(ctx, corpus, 1, Gbk("他"), ids, 1), 0);
}

// Left contexts holding words of odd byte length ("|", Latin tokens): the
// query text must pair its bytes word by word as the records' contexts do,
// or the sorted records are not in the order the bisection assumes.
TEST(QueryCompare, OddLengthWordsInALeftContextKeepTheSortOrder) {
    qav::CWordList words = MakeWordList({"齄", "|", "艰难", "苦恨", "他", "ab", "abc", "的"});
    const auto W = [&](const char* w) { return IdOf(words, w); };
    // Left contexts in reading order; each is followed by its anchor 的.
    const std::vector<std::vector<uint32_t>> contexts = {
        {W("齄"), W("|"), W("艰难")},    // 0: sorts by 难艰齄
        {W("苦恨"), W("|"), W("艰难")},  // 1: 难艰恨苦
        {W("他"), W("齄"), W("艰难")},   // 2: 难艰齄他
        {W("齄"), W("ab"), W("|")},      // 3: ab齄
        {W("艰难"), W("齄"), W("ab")},   // 4: ab齄难艰
        {W("他"), W("|"), W("abc")},     // 5: ab他 (the odd last byte is dropped)
        {W("苦恨"), W("艰难"), W("|")},  // 6: 难艰恨苦
    };
    std::vector<std::vector<uint32_t>> files(1, std::vector<uint32_t>(3, qav::kNotAWord));
    std::vector<unsigned char> records;
    for (const auto& context : contexts) {
        files[0].insert(files[0].end(), context.begin(), context.end());
        const auto r = Record(static_cast<uint32_t>(files[0].size()), 0, 0);
        records.insert(records.end(), r.begin(), r.end());
        files[0].push_back(W("的"));
    }
    qav::RecordCompareContext ctx = MakeContext(files, words, qav::kLanguageChinese, 3);
    const int n = static_cast<int>(contexts.size());
    zq_quicksort_ex(records.data(), n, 8, qav::Cmp_TagL, &ctx);
    auto labelOf = [&](int i) { return (records[i * 8] - 6) / 4; };  // anchors at 6, 10, 14, ...

    qav::CHashTable units{11};
    const struct Case {
        const char* pattern;
        std::vector<int> matching;  // labels; "|" adds no text to the sort order, so 2 matches 齄|艰难
    } cases[] = {
        {"齄|艰难", {0, 2}},
        {"|艰难", {0, 1, 2, 6}},
        {"恨|艰难", {1, 6}},
        {"齄ab|", {3, 4}},
        {"他|abc", {5}},
        {"他ab", {5}},
        {"的齄|艰难", {}},
    };
    for (const Case& c : cases) {
        qav::CAtomSearchQuery query;
        ASSERT_TRUE(query.SetAtomSearchQuery({&units, &words, qav::kLanguageChinese}, "x_n|", Gbk(c.pattern), "", "", "",
                                             ""));
        std::vector<int> matching;
        int previous = -1;
        for (int i = 0; i < n; ++i) {
            int cmp = 7;
            ASSERT_TRUE(qav::CmpFunc(ctx, records.data(), i, query.pattern, query.ids.data(), query.idCount(), qav::UNIT_POS_L,
                                cmp, 0, n - 1));
            EXPECT_GE(Sign(cmp), previous) << c.pattern << ": record " << labelOf(i) << " out of order";
            previous = Sign(cmp);
            if (cmp == 0) matching.push_back(labelOf(i));
        }
        std::sort(matching.begin(), matching.end());
        EXPECT_EQ(matching, c.matching) << c.pattern;
        int64_t low = -1;
        int64_t high = -1;
        ASSERT_EQ(qav::GetLowHigh(ctx, records.data(), n, query, qav::UNIT_POS_L, low, high), !c.matching.empty())
            << c.pattern;
        if (c.matching.empty()) continue;
        EXPECT_EQ(high - low + 1, static_cast<int64_t>(c.matching.size())) << c.pattern;
    }
}

TEST(QueryCompare, IsOverFlowChecksFileAndAnchor) {
    qav::CWordList words = MakeWordList({"我"});
    const std::vector<std::vector<uint32_t>> files = {std::vector<uint32_t>(10, 0)};
    qav::RecordCompareContext ctx = MakeContext(files, words, qav::kLanguageChinese, 2);
    EXPECT_TRUE(qav::IsOverFlow(ctx, 5, 0, 4));
    EXPECT_FALSE(qav::IsOverFlow(ctx, 5, 0, 5));
    EXPECT_FALSE(qav::IsOverFlow(ctx, 5, 0, -6));
    EXPECT_TRUE(qav::IsOverFlow(ctx, 5, 0, -5));
    EXPECT_FALSE(qav::IsOverFlow(ctx, 10, 0, -1));
    EXPECT_FALSE(qav::IsOverFlow(ctx, 5, 1, 0));
}

}  // namespace
