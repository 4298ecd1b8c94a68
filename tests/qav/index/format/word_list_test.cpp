#include "qav/index/format/word_list.h"

#include <gtest/gtest.h>

#include "index_file_checks.h"
#include "support/test_support.h"

namespace {

using index_checks::U32;

// Word list as the build makes it: text order with identifiers, and the
// identifier-ordered copy.
qav::CWordList SampleList() {
    const struct { const char* text; int32_t id; int32_t count; } entries[] = {
        {"[", 2, 1}, {"]", 3, 1}, {"|", 0, 5}, {"上海", 6, 1}, {"我", 4, 2}, {"爱", 5, 1}, {"齄", 1, 1}};
    qav::CWordList list;
    for (const auto& e : entries) {
        qav::CWord word;
        word.text = qztest::Gbk(e.text);
        word.id = e.id;
        word.count = e.count;
        list.words.push_back(word);
    }
    std::sort(list.words.begin(), list.words.end(), [](const qav::CWord& a, const qav::CWord& b) { return a.text < b.text; });
    list.words_by_id = list.words;
    std::sort(list.words_by_id.begin(), list.words_by_id.end(),
              [](const qav::CWord& a, const qav::CWord& b) { return a.id < b.id; });
    return list;
}

TEST(WordList, FileSizeAndRoundTrip) {
    qztest::TempDir dir;
    const qav::CWordList list = SampleList();
    ASSERT_TRUE(list.Write2FileEx(dir.file("WordList.dat"), dir.file("WordList.dat")));

    size_t expected = 4;
    for (const qav::CWord& word : list.words) expected += 8 + word.text.size() + 4 + word.text.size();
    const std::string bytes = qztest::ReadFile(dir.file("WordList.dat"));
    EXPECT_EQ(bytes.size(), expected);
    EXPECT_EQ(bytes.size(), 114u);  // 7 words of 13 bytes in all
    EXPECT_EQ(bytes.substr(0, 4), U32(7));
    EXPECT_EQ(bytes.substr(4, 4 + 1 + 4), U32(1) + "[" + U32(2));

    qav::CWordList loaded;
    ASSERT_TRUE(loaded.WordListInitEx(dir.file("WordList.dat")));
    ASSERT_EQ(loaded.length(), 7);
    for (size_t i = 0; i < list.words.size(); ++i) {
        EXPECT_EQ(loaded.words[i].text, list.words[i].text);
        EXPECT_EQ(loaded.words[i].id, list.words[i].id);
        EXPECT_EQ(loaded.words_by_id[i].text, list.words_by_id[i].text);
        EXPECT_EQ(loaded.words_by_id[i].id, static_cast<int32_t>(i));
    }
    EXPECT_EQ(loaded.Word2No(qztest::Gbk("上海")), 6);
    EXPECT_EQ(loaded.Word2No("|"), 0);
    EXPECT_EQ(loaded.Word2No(qztest::Gbk("上")), -1);
    ASSERT_NE(loaded.No2Word(4), nullptr);
    EXPECT_EQ(loaded.No2Word(4)->text, qztest::Gbk("我"));
    EXPECT_EQ(loaded.No2Word(-1), nullptr);
    EXPECT_EQ(loaded.No2Word(7), nullptr);

    loaded.WordListExit();
    EXPECT_EQ(loaded.length(), 0);
    EXPECT_EQ(loaded.No2Word(0), nullptr);
}

TEST(WordList, TextViewListsWordsInTextOrderWithCounts) {
    qztest::TempDir dir;
    ASSERT_TRUE(SampleList().Write2FileEx(dir.file("WordList.dat"), dir.file("WordList.dat")));
    EXPECT_EQ(qztest::Utf8(qztest::ReadFile(dir.file("WordList.dat_txt"))),
              "[\t1\n]\t1\n|\t5\n爱\t1\n上海\t1\n我\t2\n齄\t1\n");
}

TEST(WordList, WriterRefusesWhatCannotBeReadBack) {
    qztest::TempDir dir;
    qav::CWordList tooLong = SampleList();
    tooLong.words[0].text.assign(2048, 'a');
    tooLong.words_by_id[2].text.assign(2048, 'a');
    EXPECT_FALSE(tooLong.Write2FileEx(dir.file("a.dat"), dir.file("a")));

    qav::CWordList uneven = SampleList();
    uneven.words_by_id.pop_back();
    EXPECT_FALSE(uneven.Write2FileEx(dir.file("b.dat"), dir.file("b")));

    // 2,047 bytes is the longest storable text.
    qav::CWordList longest;
    longest.words.resize(1);
    longest.words[0].text.assign(2047, 'a');
    longest.words_by_id = longest.words;
    ASSERT_TRUE(longest.Write2FileEx(dir.file("c.dat"), dir.file("c")));
    qav::CWordList loaded;
    ASSERT_TRUE(loaded.WordListInitEx(dir.file("c.dat")));
    EXPECT_EQ(loaded.words[0].text.size(), 2047u);

    EXPECT_FALSE(SampleList().Write2FileEx(dir.file("no/such/dir/d.dat"), dir.file("d")));
}

TEST(WordList, DamagedFilesAreRefused) {
    qztest::TempDir dir;
    ASSERT_TRUE(SampleList().Write2FileEx(dir.file("WordList.dat"), dir.file("WordList.dat")));
    const std::string good = qztest::ReadFile(dir.file("WordList.dat"));
    auto load = [](const std::string& path) { return qav::CWordList().WordListInitEx(path); };
    index_checks::ExpectEveryTruncationRefused(good, "Error open %s!\n", load);

    const std::vector<index_checks::FilePatch> cases = {
        {"huge count", 0, U32(0xFFFFFFFF)},
        {"count one too many", 0, U32(8)},
        {"text length 2,048", 4, U32(2048)},
        {"text length past the end", 4, U32(200)},
        {"identifier not below the count", 9, U32(7)},
    };
    index_checks::ExpectPatchesRefused(good, cases, "Error open %s!\n", load);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(qav::CWordList().WordListInitEx(dir.file("missing")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error open " + dir.file("missing") + "!\n");
}

TEST(WordList, PlainFormRoundTrip) {
    qztest::TempDir dir;
    const qav::CWordList list = SampleList();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(list.Write2File(dir.file("plain.dat")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "open invert " + dir.file("plain.dat") + "\n");

    size_t expected = 4;
    for (const qav::CWord& word : list.words) expected += 4 + word.text.size() + 8;
    EXPECT_EQ(qztest::ReadFile(dir.file("plain.dat")).size(), expected);

    qav::CWordList loaded;
    ASSERT_TRUE(loaded.WordListInit(dir.file("plain.dat")));
    ASSERT_EQ(loaded.length(), list.length());
    for (size_t i = 0; i < list.words.size(); ++i) {
        EXPECT_EQ(loaded.words[i].text, list.words[i].text);
        EXPECT_EQ(loaded.words[i].count, list.words[i].count);
        EXPECT_EQ(loaded.words[i].id, list.words[i].id);
    }

    const std::string good = qztest::ReadFile(dir.file("plain.dat"));
    index_checks::ExpectEveryTruncationRefused(
        good, "Error open %s!\n", [](const std::string& path) { return qav::CWordList().WordListInit(path); });
}

}  // namespace
