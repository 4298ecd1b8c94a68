#include <gtest/gtest.h>

#include "support/test_support.h"
#include "text_sentence.h"
#include "zel/models/bt_chars.h"
#include "zel/models/bt_parser.h"
#include "zel/models/hz_ngram.h"
#include "zel/models/ngram_builder.h"
#include "zellib.h"

using qztest::Gbk;
using qztest::Utf8;
using zeltest::TextSentence;

namespace {

// Every split point of the tree, as the column it follows.
std::vector<int> SplitsOf(const zel::BTNodes& nodes) {
    std::vector<int> splits;
    for (const zel::CNode_BT& n : nodes)
        if (!n.IsLeaf()) splits.push_back(nodes[n.firstChild].last);
    return splits;
}

std::string StoredText(const zel::CBT& bt, int tree, bool flag = true) {
    std::string out;
    bt.GetTree(tree, 0, out, flag);
    return Utf8(out);
}

}  // namespace

TEST(BTContext, DigitAndPunctuationRunsBecomeMarks) {
    const struct {
        const char* text;
        const char* processed;
    } cases[] = {
        {"中文", "中文"},      {"一，、。二", "一▲二"},
        {"１２３年", "■年"},   {"３．１４元", "■▲元"},  // the full stop does not end the digit run
        {"１２，３４", "■▲■"}, {"，１２", "▲■"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8(zel::ProcessContextString(Gbk(c.text))), c.processed) << c.text;
    EXPECT_EQ(Utf8(zel::ReverseSent(Gbk("甲乙丙"))), "丙乙甲");
}

TEST(BTParser, RunsNumbersAndPunctuationPairsAreNeverSplit) {
    zel::CBT bt;
    const TextSentence letters(Gbk("ab12"));
    EXPECT_FALSE(bt.CreateBT(letters, 0, 0, 3));
    const TextSentence sentence(Gbk("我有３．１４元，。好"));
    ASSERT_TRUE(bt.CreateBT(sentence, 0, 0, sentence.ColumnCount() - 1));
    // Columns 2 to 5 hold the number; 7 and 8 the two punctuation marks.
    for (int split : SplitsOf(bt.CurrentTree())) {
        EXPECT_FALSE(split >= 2 && split < 5) << split;
        EXPECT_NE(split, 7);
    }
    EXPECT_EQ(SplitsOf(bt.CurrentTree()).size(), 5u);
}

TEST(BTParser, WithoutModelsEqualScoresSplitLeftmostFirst) {
    ASSERT_EQ(zel::g_pHZNGram, nullptr);
    zel::CBT bt;
    const TextSentence two(Gbk("甲乙"));
    EXPECT_EQ(bt.CompProbEx(0, 0, 0), -48.0f);
    ASSERT_TRUE(bt.CreateBT(two, 0, 0, 1));
    EXPECT_EQ(bt.CurrentTree().size(), 3u);
    EXPECT_FALSE(bt.CreateBT(two, 0, 1, 1));  // one column

    TextSentence four(Gbk("甲乙丙丁"));
    four.tags[{0, 0}] = {"n", "v"};
    four.tags[{3, 3}] = {"n", "v"};
    ASSERT_TRUE(bt.CreateBT(four, 0, 0, 3));
    std::string current;
    EXPECT_EQ(bt.GetTree(0, 0, current, true), 1);
    EXPECT_EQ(Utf8(current), "[0[甲 n][2[乙][4[丙][丁 n v]]]]");

    bt.AddTreeToTrees();
    EXPECT_EQ(StoredText(bt, 0), "((甲 n)((乙)((丙)(丁 n v))))");
    EXPECT_EQ(StoredText(bt, 0, false), "(甲乙丙丁(甲 n)(乙丙丁(乙)(丙丁(丙)(丁 n v))))");
    std::string out = "kept";
    EXPECT_EQ(bt.GetTree(1, 0, out, true), 0);
    EXPECT_EQ(bt.GetTree(0, 7, out, true), 0);
    EXPECT_EQ(out, "kept");
}

TEST(BTParser, SimpleBuildStoresAlternativeTreesOfTheBestHalves) {
    zel::CBT bt;
    const TextSentence sentence(Gbk("甲乙丙丁戊己庚"));
    ASSERT_TRUE(bt.CreateBT_Simple(sentence, false, 0, 6));
    // Best splits after columns 0 and 1; halves 0-0 (no tree), 1-6 (two
    // alternatives), 0-1 and 2-6 (one each).
    ASSERT_EQ(bt.TreeCount(), 4);
    EXPECT_EQ(StoredText(bt, 0), "((乙)((丙)((丁)((戊)((己)(庚))))))");
    EXPECT_EQ(StoredText(bt, 1), "(((乙)(丙))((丁)((戊)((己)(庚)))))");
    EXPECT_EQ(StoredText(bt, 2), "((甲)(乙))");
    EXPECT_EQ(StoredText(bt, 3), "((丙)((丁)((戊)((己)(庚)))))");
    EXPECT_TRUE(bt.CurrentTree().empty());
    bt.ClearTrees();
    const TextSentence marks(Gbk("，。"));
    EXPECT_FALSE(bt.CreateBT_Simple(marks, false, 0, 1));
    EXPECT_EQ(bt.TreeCount(), 0);
}

TEST(BTParser, TreeOfARealSentenceWithTheSampleModels) {
    const std::string in = qztest::DataDir() + "/ngram";
    qztest::TempDir out;
    ASSERT_TRUE(zel::CreateIdx(in + "/chars.txt", in + "/plain.txt", out.file("p.idx"), out.file("p.dat"),
                               zel::NgramBuildMode::Plain, 3));
    ASSERT_TRUE(zel::CreateIdx(in + "/chars.txt", in + "/lm.txt", out.file("b.idx"), out.file("b.dat"),
                               zel::NgramBuildMode::Backoff, 3));
    const std::string p = out.file("p.idx"), pd = out.file("p.dat"), b = out.file("b.idx"), bd = out.file("b.dat");
    ASSERT_EQ(HZNGramInit(p.c_str(), pd.c_str(), b.c_str(), bd.c_str(), p.c_str(), pd.c_str()), 1);

    const TextSentence sentence(Gbk("春风又绿江南岸，明月何时照我还。"));
    zel::CBT bt;
    ASSERT_TRUE(bt.CreateBT(sentence, 0, 0, sentence.ColumnCount() - 1));
    bt.AddTreeToTrees();
    EXPECT_EQ(StoredText(bt, 0),
              "((((春)((风)(((又)(绿))(江))))(((南)((岸)(，)))((明)(月))))((((何)(时))(照))((我)((还)(。)))))");
    HZNGramExit();
}
