#include "qav/index/build/sentence_units.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "qav/index/base/config.h"
#include "qav/index/build/process_line.h"
#include "qav/index/build/qav_tree.h"
#include "qav/index/build/word_lists.h"
#include "qav/index/format/unit_type.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using qztest::Utf8;
using Units = std::multiset<std::string>;

// "text@anchor", with " span N" for constituent units and " clause N" when
// the clause is not 0; texts in UTF-8.
std::string Describe(const qav::IdxUnitEntry& unit) {
    std::string text = Utf8(unit.first.text) + "@" + std::to_string(unit.second.index);
    if (unit.first.type == qav::UNIT_ML) text += " span " + std::to_string(unit.second.span);
    if (unit.second.clause != 0) text += " clause " + std::to_string(unit.second.clause);
    return text;
}

struct LineResult {
    bool ok = false;
    Units units;       // records stored by the offset pass
    std::string data;  // words written to the data file, UTF-8, blank-separated
};

// Runs the counting pass and then the offset pass over a group of lines, as
// the builder does, and checks that the records of the offset pass are exactly
// the units the counting pass counted.
class SentenceUnitsTest : public ::testing::Test {
protected:
    SentenceUnitsTest() { config_.m_ClauseSeperator.insert(Gbk("，")); }

    std::vector<LineResult> RunGroup(const std::vector<std::string>& utf8Lines, int kind = qav::kTreeKindSquare) {
        std::vector<std::string> lines;
        for (const std::string& line : utf8Lines) lines.push_back(Gbk(line));

        qav::CountTable unit_hash(4099), counted_words(4099);
        qav::CQAVTree count_tree;
        count_tree.SetConfig(&config_);
        qav::CPNInfo count_info;
        std::vector<uint32_t> word_counts;
        for (const std::string& line : lines) {
            uint32_t count = 0;
            bool ok = qav::ProcessLine_Count(line.c_str(), count_tree, unit_hash, counted_words, count_info, kind, count);
            word_counts.push_back(ok ? count : 0);
        }
        qav::CHashTable word_hash(4099);
        qav::MergeHash(word_hash, {&counted_words});
        AddSeparatorWords(word_hash);

        std::map<std::pair<std::string, int>, uint32_t> stored;
        qav::CQAVTree tree;
        tree.SetConfig(&config_);
        qav::CPNInfo info;
        FILE* data = tmpfile();
        std::vector<LineResult> results;
        const uint32_t kPosition = 512;
        for (size_t i = 0; i < lines.size(); ++i) {
            LineResult result;
            long before = ftell(data);
            qav::UnitRecordSink store = [&](const std::vector<qav::IdxUnitEntry>& units) {
                for (const qav::IdxUnitEntry& unit : units) {
                    EXPECT_EQ(unit.second.file_no, 3);
                    EXPECT_EQ(unit.second.position, kPosition);
                    ++stored[{unit.first.text, unit.first.type}];
                    result.units.insert(Describe(unit));
                }
            };
            uint64_t written = 0;
            result.ok =
                qav::ProcessLine_Offset(lines[i].c_str(), tree, store, word_hash, 3, kPosition, data, info, kind, &written);
            EXPECT_EQ(static_cast<long>(written), ftell(data) - before) << utf8Lines[i];
            result.data = ReadWords(data, before, word_hash);
            if (result.ok) {
                EXPECT_EQ(static_cast<long>(word_counts[i]) * 4, ftell(data) - before) << utf8Lines[i];
            }
            results.push_back(result);
        }
        fclose(data);

        std::map<std::pair<std::string, int>, uint32_t> counted;
        unit_hash.ForEach([&](uint32_t, std::string_view text, int32_t type, uint32_t count) { counted[{std::string(text), type}] = count; });
        EXPECT_EQ(counted, stored);
        return results;
    }

    LineResult RunLine(const std::string& utf8Line, int kind = qav::kTreeKindSquare) {
        return RunGroup({utf8Line}, kind)[0];
    }

    static void AddSeparatorWords(qav::CHashTable& words) {
        for (std::string_view w : qav::kSeparatorWords) {
            bool created = false;
            qav::CHashNode* node = words.GetOrAdd(w, qav::UNIT_WORD, &created);
            if (created) node->id = words.next_id++;
        }
    }

    static std::string ReadWords(FILE* data, long from, const qav::CHashTable& words) {
        std::map<uint32_t, std::string> by_id;
        words.ForEachNode([&](const qav::CHashNode& node) { by_id[static_cast<uint32_t>(node.id)] = node.name; });
        long end = ftell(data);
        std::vector<unsigned char> bytes(static_cast<size_t>(end - from));
        fseek(data, from, SEEK_SET);
        EXPECT_EQ(fread(bytes.data(), 1, bytes.size(), data), bytes.size());
        std::string text;
        for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
            uint32_t id = bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 | static_cast<uint32_t>(bytes[i + 3]) << 24;
            text += (text.empty() ? "" : " ") + Utf8(by_id[id]);
        }
        return text;
    }

    qav::CConfig config_;
};

TEST_F(SentenceUnitsTest, SequenceLineFirstInItsGroup) {
    LineResult r = RunLine("我/r 爱/v 上海/ns");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.units, (Units{"|r_爱@0", "|v_上@1", "我_v|@1", "爱_ns|@2", "|_我@-1", " _r|@0"}));
    EXPECT_EQ(r.data, "我 爱 上海 |");
}

TEST_F(SentenceUnitsTest, TreeLineFirstInItsGroup) {
    LineResult r = RunLine("[IP [NP [中国 NR]] [VP [发展 VV]]]");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.units, (Units{"|NR_发@0", "国_VV|@1", "$NP_国@0 span 0", "$IP_展@0 span 1", "$VP_展@1 span 0",
                              "|_中@-1", " _NR|@0"}));
    EXPECT_EQ(r.data, "中国 发展 |");
}

TEST_F(SentenceUnitsTest, ParenthesisTreeGivesTheSameUnits) {
    EXPECT_EQ(RunLine("(IP (NP (NR 中国)) (VP (VV 发展)))").units, RunLine("[IP [NP [中国 NR]] [VP [发展 VV]]]").units);
}

TEST_F(SentenceUnitsTest, TokensSplitIntoWordAndTag) {
    struct Case {
        const char* token;
        const char* words;  // what the data file gets, with "z/q" after the token
        Units units;        // as the second line of a group after "a/b c/d"
    };
    const Case cases[] = {
        {"3/4", "3 z |", {"|PR_z@0", "3_q|@1", "|d_3@-1", "c_PR|@0"}},
        {"x/", "x z |", {"|_z@0", "x_q|@1", "|d_x@-1", "c_|@0"}},
        {"w", "w z |", {"|_z@0", "w_q|@1", "|d_w@-1", "c_|@0"}},
        {"a/b/c", "a/b z |", {"|c_z@0", "b_q|@1", "|d_a@-1", "c_c|@0"}},
        {"w/NN,x", "w z |", {"|NN_z@0", "w_q|@1", "|d_w@-1", "c_NN|@0"}},
        {"我/r|x", "我 z |", {"|r_z@0", "我_q|@1", "|d_我@-1", "c_r|@0"}},
        // A skipped token leaves one word: no unit, and the next pair stays.
        {"/NN", "z |", {}},
    };
    for (const Case& c : cases) {
        std::vector<LineResult> r = RunGroup({"a/b c/d", std::string(c.token) + " z/q"});
        ASSERT_TRUE(r[1].ok);
        EXPECT_EQ(r[1].data, c.words) << c.token;
        EXPECT_EQ(r[1].units, c.units) << c.token;
    }
}

TEST_F(SentenceUnitsTest, GroupSeparatorBreaksTheChain) {
    // The group separator joins no unit on either side.
    std::vector<LineResult> r = RunGroup({"a/b c/d", "我/r 齄/w 爱/v 你/r"});
    ASSERT_TRUE(r[1].ok);
    EXPECT_EQ(r[1].data, "我 齄 爱 你 |");
    EXPECT_EQ(r[1].units, (Units{"|v_你@2", "爱_r|@3", "|d_我@-1", "c_r|@0"}));
}

TEST_F(SentenceUnitsTest, BarsAndSquareBracketsAreWordsLikeAnyOther) {
    // Corpus tokens "[", "]" and "|" join units with their neighbours; only a
    // key that would read as another kind is left out: "|" before a tag
    // would give "|_v|", a key of the "|TAG_c" form.
    struct Case {
        const char* token;
        Units units;
    };
    const Case cases[] = {
        {"[", {"|r_[@0", "我_w|@1", "|w_爱@1", "[_v|@2", "|v_你@2", "爱_r|@3", "|d_我@-1", "c_r|@0"}},
        {"]", {"|r_]@0", "我_w|@1", "|w_爱@1", "]_v|@2", "|v_你@2", "爱_r|@3", "|d_我@-1", "c_r|@0"}},
        {"|", {"|r_|@0", "我_w|@1", "|w_爱@1", "|v_你@2", "爱_r|@3", "|d_我@-1", "c_r|@0"}},
    };
    for (const Case& c : cases) {
        std::vector<LineResult> r = RunGroup({"a/b c/d", std::string("我/r ") + c.token + "/w 爱/v 你/r"});
        ASSERT_TRUE(r[1].ok);
        EXPECT_EQ(r[1].data, std::string("我 ") + c.token + " 爱 你 |");
        EXPECT_EQ(r[1].units, c.units) << c.token;
    }
}

TEST_F(SentenceUnitsTest, LeadingSeparatorAnchorsTheBoundaryAtTheFirstWord) {
    std::vector<LineResult> r = RunGroup({"a/b c/d", "齄/w 我/r 爱/v"});
    EXPECT_EQ(r[1].units, (Units{"|r_爱@1", "我_v|@2", "|d_我@-1", "c_r|@1"}));
}

TEST_F(SentenceUnitsTest, ShortSentencesKeepThePreviousPair) {
    // A one-token line and a one-leaf tree are written but move nothing on.
    std::vector<LineResult> r = RunGroup({"我/r 爱/v", "他/r", "[IP [NP [中国 NR]]]", "你/r 好/a"});
    EXPECT_EQ(r[1].units, Units{});
    EXPECT_EQ(r[1].data, "他 |");
    EXPECT_EQ(r[2].units, Units{});
    EXPECT_EQ(r[2].data, "中国 |");
    EXPECT_EQ(r[3].units, (Units{"|r_好@0", "你_a|@1", "|v_你@-1", "爱_r|@0"}));
}

TEST_F(SentenceUnitsTest, TreeCarriesItsLastLeafIntoTheNextLine) {
    std::vector<LineResult> r = RunGroup({"[IP [NP [中国 NR]] [VP [发展 VV]]]", "你/r 好/a"});
    EXPECT_EQ(r[1].units, (Units{"|r_好@0", "你_a|@1", "|VV_你@-1", "展_r|@0"}));
}

TEST_F(SentenceUnitsTest, ClauseSeparatorsNumberClausesAndEndSentences) {
    LineResult r = RunLine("我/r ，/w 你/r ，/w");
    EXPECT_EQ(r.data, "我 ， 你 ，");  // no closing "|" after a clause separator
    EXPECT_EQ(r.units, (Units{"|r_，@0", "我_w|@1", "|w_你@1 clause 1", "，_r|@2 clause 1", "|r_，@2 clause 1",
                              "你_w|@3 clause 1", "|_我@-1", " _r|@0"}));
}

TEST_F(SentenceUnitsTest, ConstituentOverInnerWords) {
    LineResult r = RunLine("[IP [a A] [b B] [NP [c C] [d D] [e E] [f F]]]");
    EXPECT_EQ(r.units.count("$NP_f@2 span 3"), 1u);
    EXPECT_EQ(r.units.count("$IP_f@0 span 5"), 1u);
}

TEST_F(SentenceUnitsTest, SubTreeCategoriesLimitConstituentLabels) {
    config_.m_SubTreeCat.insert("NP");
    Units units = RunLine("[IP [NP [中国 NR]] [VP [发展 VV]]]").units;
    EXPECT_EQ(units.count("$NP_国@0 span 0"), 1u);
    EXPECT_EQ(units.count("$IP_展@0 span 1"), 0u);
    EXPECT_EQ(units.count("$VP_展@1 span 0"), 0u);
}

TEST_F(SentenceUnitsTest, EnglishTakesWholeNeighbouringWords) {
    config_.m_Language = 1;
    EXPECT_EQ(RunGroup({"a/b c/d", "the/DT dog/NN barks/VBZ"})[1].units,
              (Units{"|DT_dog@0", "the_NN|@1", "|NN_barks@1", "dog_VBZ|@2", "|d_the@-1", "c_DT|@0"}));
    EXPECT_EQ(RunGroup({"a/b c/d", "[S [NP [the DT] [dog NN]] [VP [barks VBZ]]]"})[1].units.count("$NP_dog@0 span 1"),
              1u);
}

TEST_F(SentenceUnitsTest, KindZeroReadsEveryLineAsASequence) {
    LineResult r = RunLine("[IP [NP [中国 NR]] [VP [发展 VV]]]", qav::kTreeKindSeg);
    EXPECT_EQ(r.data, "[IP [NP [中国 NR]] [VP [发展 VV]]] |");
}

TEST_F(SentenceUnitsTest, UnreadableTreeFailsBothPasses) {
    // Balanced brackets but a leaf without a word.
    std::vector<LineResult> r = RunGroup({"我/r 爱/v", "[IP [NP [ ]] [VP [发展 VV]]]", "你/r 好/a"});
    EXPECT_FALSE(r[1].ok);
    EXPECT_EQ(r[1].data, "");
    EXPECT_EQ(r[1].units, Units{});
    EXPECT_EQ(r[2].units, (Units{"|r_好@0", "你_a|@1", "|v_你@-1", "爱_r|@0"}));
}

TEST_F(SentenceUnitsTest, WordWithoutIdentifierStopsTheOffsetPass) {
    qav::CHashTable words(101);
    for (const std::string& word : {Gbk("我"), std::string("|")}) words.GetOrAdd(word, qav::UNIT_WORD)->id = words.next_id++;
    qav::CPNInfo info;
    int records = 0;
    FILE* data = tmpfile();
    uint64_t written = 0;
    EXPECT_FALSE(qav::ProcessLine_Offset_Seg(
        Gbk("我/r 爱/v").c_str(), [&](const std::vector<qav::IdxUnitEntry>& units) { records += static_cast<int>(units.size()); }, words, 0, 512, data, info, config_, &written));
    EXPECT_EQ(ftell(data), 4);  // the identifier of the word before stays
    EXPECT_EQ(written, 4u);     // and is counted, so that the next line's position follows it
    EXPECT_EQ(records, 0);
    fclose(data);
}

TEST_F(SentenceUnitsTest, AnchorsBeyondTheIndexFieldFormNoUnit) {
    // 32,770 words: word i anchors |_a (joining it to word i + 1) and a_|
    // (joining it to word i - 1); words past 32,767 anchor nothing.
    std::string line;
    for (int i = 0; i < 32770; ++i) line += "a ";
    LineResult r = RunLine(line);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.units.count("|_a@32767"), 1u);
    EXPECT_EQ(r.units.count("|_a@32768"), 0u);
    EXPECT_EQ(r.units.count("a_|@32767"), 1u);
    EXPECT_EQ(r.units.count("a_|@32768"), 0u);
    EXPECT_EQ(r.units.size(), 32768u + 32767u + 2u);
}

TEST_F(SentenceUnitsTest, SpansBeyondTheSpanFieldFormNoUnit) {
    auto tree = [](int leaves) {
        std::string line = "[IP [NP [QP [w0 X] [w1 X]]";
        for (int i = 2; i < leaves; ++i) line += " [w" + std::to_string(i) + " X]";
        return line + "]]";
    };
    Units at_limit = RunLine(tree(255)).units;
    EXPECT_EQ(at_limit.count("$NP_4@0 span 254"), 1u);
    Units over = RunLine(tree(256)).units;
    EXPECT_EQ(over.count("$QP_1@0 span 1"), 1u);
    for (const std::string& unit : over) EXPECT_EQ(unit.find("$NP"), std::string::npos) << unit;
    for (const std::string& unit : over) EXPECT_EQ(unit.find("$IP"), std::string::npos) << unit;
}

TEST_F(SentenceUnitsTest, LastCharacterIsAWholeCharacter) {
    const std::string gbk_with_low_trail = "\x81\x40";  // trail byte "@"
    EXPECT_EQ(qav::LastCharOf("a" + gbk_with_low_trail, false), gbk_with_low_trail);
    EXPECT_EQ(qav::LastCharOf(Gbk("上海"), false), Gbk("海"));
    EXPECT_EQ(qav::LastCharOf("ab\xB0", false), "");
    EXPECT_EQ(qav::FirstCharOf("\xB0", false), "");
    EXPECT_EQ(qav::FirstCharOf("dog", true), "dog");
}

}  // namespace

namespace {

// Leaves of the tree just read as "word/clause", in leaf order.
std::string LeafList(const qav::CQAVTree& tree) {
    std::string text;
    for (uint32_t i = 0; i < tree.m_nLeafCount; ++i)
        text += Utf8(tree.Leaf(i)->m_word) + "/" + std::to_string(tree.Leaf(i)->m_nClause) + " ";
    return text;
}

std::multiset<std::string> LeafWords(const qav::CQAVTree& tree) {
    std::multiset<std::string> words;
    for (uint32_t i = 0; i < tree.m_nLeafCount; ++i) words.insert(tree.Leaf(i)->m_word);
    return words;
}

TEST(WordNodeInfo, TheNodeArrayWalkFindsTheLeavesOfTheTreeWalkInNodeOrder) {
    qav::CConfig config;
    config.m_ClauseSeperator.insert(Gbk("，"));
    qav::CQAVTree tree;
    for (const char* line : {"[IP [NP [中国 NR]] [PU [， PU]] [VP [VV [发展 VV]] [NP [经济 NN]]]]",
                             "(IP (NP (NR 中国)) (PU ，) (VP (VV 发展) (NP (NN 经济))))", "[X [一 CD]]"}) {
        SCOPED_TRACE(line);
        tree.SetConfig(nullptr);
        ASSERT_TRUE(tree.ReadTree(Gbk(line).c_str(), qav::kTreeKindSquare));
        EXPECT_FALSE(qav::SetWordNodeInfo_Old(tree));
        tree.SetConfig(&config);
        ASSERT_TRUE(qav::SetWordNodeInfo(tree));
        const std::multiset<std::string> walked = LeafWords(tree);
        ASSERT_TRUE(qav::SetWordNodeInfo_Old(tree));
        EXPECT_EQ(walked, LeafWords(tree));
    }
    // Leaves and clauses follow the node numbers, not the line.
    ASSERT_TRUE(tree.ReadTree(Gbk("[IP [NP [中国 NR]] [PU [， PU]] [VP [发展 VV]]]").c_str(), qav::kTreeKindSquare));
    ASSERT_TRUE(qav::SetWordNodeInfo_Old(tree));
    EXPECT_EQ("发展/0 ，/0 中国/1 ", LeafList(tree));
}

}  // namespace
