#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "support/test_support.h"
#include "zel/models/crf_seg.h"
#include "zel/models/pos_dict.h"
#include "zel/models/pos_tagger.h"

namespace {

using qztest::Gbk;
using qztest::TempDir;
using qztest::Utf8;

struct Entry {
    std::string keyword;  // UTF-8
    std::vector<std::pair<uint8_t, float>> pairs;
};

// A dictionary file; entries are written in the given order.
std::string DictBytes(const std::vector<std::string>& names, const std::vector<Entry>& entries) {
    std::string out;
    auto i32 = [&](int32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto text = [&](const std::string& s) {
        out.push_back(static_cast<char>(s.size()));
        out += s;
    };
    i32(static_cast<int32_t>(names.size()));
    for (const std::string& n : names) text(n);
    i32(static_cast<int32_t>(entries.size()));
    for (const Entry& e : entries) {
        text(Gbk(e.keyword));
        out.push_back(static_cast<char>(e.pairs.size()));
        for (auto [index, weight] : e.pairs) {
            out.push_back(static_cast<char>(index));
            char w[4];
            std::memcpy(w, &weight, 4);
            out.append(w, 4);
        }
    }
    return out;
}

class PosTagger : public testing::Test {
protected:
    bool Load(const std::vector<std::string>& names, const std::vector<Entry>& entries) {
        qztest::WriteFile(dir_.file("dict.bin"), DictBytes(names, entries));
        return dict_.DictSearchInit(dir_.file("dict.bin"));
    }
    std::string Tag(const std::string& words, const zel::CDictSearch* dict) {
        zel::CRFPOS handle;
        std::string out;
        EXPECT_TRUE(zel::POSTagger(handle, dict, Gbk(words), out));
        return Utf8(out);
    }
    TempDir dir_;
    zel::CDictSearch dict_;
};

TEST_F(PosTagger, TagsWithWordAndPairWeights) {
    // "x" is the tag of the wrapping full stops; 研究 is more often a verb,
    // but a noun is far likelier after 的.
    ASSERT_TRUE(Load({"n", "uj", "v", "x"},
                     {{"x/n", {{0, -1.0f}}},
                      {"x/v", {{2, -1.0f}}},
                      {"n/x", {{3, -1.0f}}},
                      {"uj/n", {{0, -0.5f}}},
                      {"uj/v", {{2, -9.0f}}},
                      {"v/x", {{3, -1.0f}}},
                      {"x/uj", {{1, -1.0f}}},
                      {"的", {{1, -1.0f}}},
                      {"研究", {{2, -1.0f}, {0, -2.0f}}}}));
    EXPECT_EQ(Tag("研究", &dict_), "研究/v ");
    EXPECT_EQ(Tag("的  研究", &dict_), "的/uj 研究/n ");
    // A word the dictionary lacks is guessed a noun.
    EXPECT_EQ(Tag("的 它", &dict_), "的/uj 它/n ");
}

TEST_F(PosTagger, EntryWithoutPartsOfSpeechIsGuessed) {
    // Without candidates for 空 the path back from the end would break off
    // and lose the words before it.
    ASSERT_TRUE(Load({"v"}, {{"词", {{0, 1.5f}}}, {"空", {}}}));
    EXPECT_EQ(Tag("词 空 词", &dict_), "词/v 空/n 词/v ");
}

TEST_F(PosTagger, EdgeCases) {
    ASSERT_TRUE(Load({"v"}, {{"词", {{0, 1.5f}}}}));
    EXPECT_EQ(Tag("", &dict_), "");
    // Without tag-pair entries every pair costs alike.
    EXPECT_EQ(Tag("词", &dict_), "词/v ");
    // Without a dictionary every word is a noun.
    EXPECT_EQ(Tag("词 语", nullptr), "词/n 语/n ");
}

TEST_F(PosTagger, AnswerStaysWithinItsBound) {
    ASSERT_TRUE(Load({"v"}, {{"词", {{0, 1.5f}}}}));
    std::string words;
    while (words.size() < 3 * zel::kMaxTaggedWordsBytes) words += "词 ";
    zel::CRFPOS handle;
    std::string out;
    zel::POSTagger(handle, &dict_, Gbk(words), out);
    // Only the first 10,233 bytes of words are read: 词 and a blank take 3.
    EXPECT_EQ(out.size(), (zel::kMaxTaggedWordsBytes + 1) / 3 * std::string("\xB4\xCA/v ").size());
    EXPECT_LT(out.size(), zel::kMaxTaggedAnswerBytes);
}

TEST_F(PosTagger, DictionaryLookupAndLongestWord) {
    // GBK byte order: 人 (C8CB) before 中 (D6D0).
    ASSERT_TRUE(Load({"n"}, {{"人民", {{0, 0.0f}}}, {"中华", {{0, 0.0f}}}, {"中华人", {{0, 0.0f}}}}));
    EXPECT_TRUE(dict_.IsInDict(Gbk("中华")));
    EXPECT_FALSE(dict_.IsInDict(Gbk("中")));
    EXPECT_STREQ(dict_.GetPOS(0), "n");
    EXPECT_EQ(dict_.GetPOS(1), nullptr);

    struct Case {
        const char* text;
        const char* word;  // nullptr: no word
    };
    const Case cases[] = {
        {"中华人民共和国", "中华人"},  // tries 8, then 6 bytes
        {"中华", "中华"},
        {"人民", "人民"},
        {"中", nullptr},  // shorter than 4 bytes
        {"共和国", nullptr},
    };
    for (const Case& c : cases) {
        std::string word = "old";
        bool found = zel::DictMaxSeg(&dict_, Gbk(c.text), word);
        EXPECT_EQ(found, c.word != nullptr) << c.text;
        if (c.word) {
            EXPECT_EQ(word, Gbk(c.word)) << c.text;
        }
    }
    std::string word;
    EXPECT_FALSE(zel::DictMaxSeg(nullptr, Gbk("中华"), word));
    ASSERT_TRUE(Load({"n"}, {}));
    EXPECT_FALSE(zel::DictMaxSeg(&dict_, Gbk("中华"), word));
}

TEST_F(PosTagger, UnsortedDictionaryLoadsButMisses) {
    ASSERT_TRUE(Load({"n"}, {{"a", {{0, 0.0f}}}, {"c", {{0, 0.0f}}}, {"b", {{0, 0.0f}}}}));
    EXPECT_TRUE(dict_.IsInDict("c"));
    EXPECT_FALSE(dict_.IsInDict("b"));
}

TEST_F(PosTagger, RefusesDamagedDictionaries) {
    const std::string good = DictBytes({"n", "v"}, {{"词", {{1, 1.0f}}}});
    for (size_t cut = 0; cut < good.size(); ++cut) {
        qztest::WriteFile(dir_.file("cut.bin"), good.substr(0, cut));
        EXPECT_FALSE(dict_.DictSearchInit(dir_.file("cut.bin"))) << cut;
        EXPECT_EQ(dict_.size(), 0u);
    }
    // A part-of-speech index beyond the name list.
    EXPECT_FALSE(Load({"n"}, {{"词", {{1, 1.0f}}}}));
    EXPECT_FALSE(dict_.DictSearchInit(dir_.file("missing.bin")));
}

}  // namespace
