#include "qav/index/build/count_units.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "qav/index/build/add_word.h"
#include "qav/index/base/config.h"
#include "qav/index/build/corpus_prep.h"
#include "qav/index/format/index_text_lines.h"
#include "common/text/line_reader.h"
#include "qav/index/build/word_lists.h"
#include "qav/index/format/unit_type.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using Counts = std::map<std::string, uint32_t>;  // "text/type" in UTF-8

Counts CountsOf(const qav::CHashTable& table) {
    Counts counts;
    table.ForEachNode(
        [&](const qav::CHashNode& node) { counts[qztest::Utf8(node.name) + "/" + std::to_string(node.type)] = node.count; });
    return counts;
}

class CountUnitsTest : public ::testing::Test {
protected:
    CountUnitsTest() {
        config_.m_InfoDir = dir_.file("Info");
        mkdir(config_.m_InfoDir.c_str(), 0755);
        config_.m_SizeInfo.HashSize_IdxUnit = 1021;
        config_.m_SizeInfo.HashSize_WordList = 1021;
    }

    // One data text file per entry of files (UTF-8 lines), group g taking the
    // files listed for it; counts every group, by the pass's workers or one
    // group after another on this thread, then merges.
    std::string Count(const std::vector<std::vector<std::string>>& groupFiles, bool oneThread = false) {
        tables_.InitHash(config_, static_cast<int>(groupFiles.size()));
        std::vector<qav::CThreadInfo> groups(groupFiles.size());
        int file_no = 0;
        for (size_t g = 0; g < groupFiles.size(); ++g) {
            groups[g].number = static_cast<uint32_t>(g);
            groups[g].unit_counts = tables_.group_units[g].get();
            groups[g].word_counts = tables_.group_words[g].get();
            groups[g].config = &config_;
            for (const std::string& text : groupFiles[g]) {
                std::string path = dir_.file("Data_" + std::to_string(file_no++) + ".txt");
                if (text != "<missing>") qztest::WriteFile(path, Gbk(text));
                groups[g].files.push_back(path);
                groups[g].kinds.push_back(1);
            }
        }
        testing::internal::CaptureStdout();
        if (oneThread) {
            counted_ = true;
            for (qav::CThreadInfo& group : groups) {
                ThreadInfo(group);
                counted_ = counted_ && group.ok;
            }
        } else {
            counted_ = qav::CountUnitWord(groups);
        }
        std::string log = testing::internal::GetCapturedStdout();
        tables_.MergeHash();
        return log;
    }

    qztest::TempDir dir_;
    qav::CConfig config_;
    qav::CountTables tables_;
    bool counted_ = false;
};

TEST_F(CountUnitsTest, WorkersTakeGroupsRoundRobin) {
    EXPECT_EQ(qav::CountWorkerGroups(4), (std::vector<std::vector<int>>{{0}, {1}, {2}, {3}}));
    std::vector<std::vector<int>> twenty = qav::CountWorkerGroups(20);
    ASSERT_EQ(twenty.size(), 8u);
    EXPECT_EQ(twenty[0], (std::vector<int>{0, 8, 16}));
    EXPECT_EQ(twenty[7], (std::vector<int>{7, 15}));
    EXPECT_TRUE(qav::CountWorkerGroups(0).empty());
}

TEST_F(CountUnitsTest, CountsWordsAndUnitsOfEveryGroup) {
    std::vector<std::vector<std::string>> files(20, std::vector<std::string>{"0\t我/r 爱/v\n"});
    files[3] = {"5\t[IP [NP [中国 NR]] [VP [发展 VV]]]\n"};
    std::string log = Count(files);
    EXPECT_NE(log.find("Unit Word Counting [0-19] of 20\nUsing 8 worker threads for 20 file groups\n"),
              std::string::npos);
    Counts words = CountsOf(tables_.words);
    EXPECT_EQ(words["我/7"], 19u);
    EXPECT_EQ(words["中国/7"], 1u);
    // The separators are words of every index, one count per data text file.
    for (const char* separator : {"|", "齄", "[", "]"}) EXPECT_EQ(words[std::string(separator) + "/7"], 20u);
    Counts units = CountsOf(tables_.units);
    EXPECT_EQ(units["|r_爱/4"], 19u);
    EXPECT_EQ(units["我_v|/3"], 19u);
    EXPECT_EQ(units["$IP_展/5"], 1u);
    EXPECT_EQ(units["|_我/4"], 19u);
}

// The same groups counted by eight workers and by one thread give the same
// tables, identifiers and lists: how groups are spread over threads never
// shows in the index.
TEST_F(CountUnitsTest, EightWorkersCountAsOneThreadDoes) {
    std::vector<std::vector<std::string>> files;
    for (int g = 0; g < 20; ++g) {
        const std::string k = std::to_string(g);
        files.push_back({"0\t词" + k + "/n 爱/v 上海/ns ，/w 他/r\n1\t[IP [NP [字" + k + " NR]] [VP [发展 VV]]]\n",
                         "2\t我/r 和/c 你" + k + "/r\n"});
    }
    struct Result {
        std::map<std::string, std::pair<uint32_t, int>> units, words;  // "text/type": count, identifier
        std::vector<std::tuple<std::string, int32_t, int32_t>> unit_list, word_list, word_ids;
    } results[2];
    for (int run = 0; run < 2; ++run) {
        const std::string log = Count(files, run == 1);
        ASSERT_TRUE(counted_);
        if (run == 0) {
            EXPECT_NE(log.find("Using 8 worker threads for 20 file groups\n"), std::string::npos);
        }
        Result& r = results[run];
        auto fill = [](const qav::CHashTable& table, std::map<std::string, std::pair<uint32_t, int>>& out) {
            table.ForEachNode([&](const qav::CHashNode& node) {
                out[node.name + "/" + std::to_string(node.type)] = {node.count, node.id};
            });
        };
        fill(tables_.units, r.units);
        fill(tables_.words, r.words);
        qav::CWordList units, words;
        tables_.HashTables2WordList(units, words);
        // Equal counts keep no particular order in the unit list.
        for (const qav::CWord& w : units.words) r.unit_list.emplace_back(w.text, w.count, w.type);
        std::sort(r.unit_list.begin(), r.unit_list.end());
        for (const qav::CWord& w : words.words) r.word_list.emplace_back(w.text, w.count, w.id);
        for (const qav::CWord& w : words.words_by_id) r.word_ids.emplace_back(w.text, w.count, w.id);
    }
    EXPECT_EQ(results[0].words.size(), 4u + 20 * 3 + 7);  // separators, 词k 字k 你k, shared words
    EXPECT_EQ(results[0].units, results[1].units);
    EXPECT_EQ(results[0].words, results[1].words);
    EXPECT_EQ(results[0].unit_list, results[1].unit_list);
    EXPECT_EQ(results[0].word_list, results[1].word_list);
    EXPECT_EQ(results[0].word_ids, results[1].word_ids);
}

TEST_F(CountUnitsTest, MergedIdentifiersFollowFirstMeeting) {
    Count({{"0\ta b\n"}, {"1\tc a\n"}});
    std::map<std::string, int> ids;
    tables_.words.ForEachNode([&](const qav::CHashNode& node) { ids[node.name] = node.id; });
    // Group 0's table first, in bucket order (the bucket of a one-byte word
    // is its byte; of the separator F7 FE, 747 of 1,021), then group 1's c.
    EXPECT_EQ(
        ids, (std::map<std::string, int>{{"[", 0}, {"]", 1}, {"a", 2}, {"b", 3}, {"|", 4}, {"\xF7\xFE", 5}, {"c", 6}}));
}

TEST_F(CountUnitsTest, FailingLinesGoToTheWarningFile) {
    const std::string bad = "1\t[IP [NP [ ]] [VP [发展 VV]]]";
    const std::string over = "2\t" + std::string(102500, 'x');  // longer than any prepared line
    Count({{"0\t我/r 爱/v\n" + bad + "\n" + over + "\n3\t你/r\n"}});
    const std::string warnings = qztest::ReadFile(dir_.file("Info/Data_0.txt"));
    const std::string first = Gbk("Warning:" + bad + "\n");
    EXPECT_EQ(warnings.substr(0, first.size()), first);
    const std::string second = "Warning:" + over.substr(0, qz::kMaxDataLineBytes) + "\n";
    EXPECT_TRUE(warnings.size() == first.size() + second.size() && warnings.substr(first.size()) == second);
    Counts words = CountsOf(tables_.words);
    EXPECT_EQ(words.count("发展/7"), 0u);
    EXPECT_EQ(words["你/7"], 1u);
}

TEST_F(CountUnitsTest, GroupWithAMissingFileStopsAtIt) {
    std::string log = Count({{"<missing>", "0\tx/n y/n\n"}, {"1\tz/n w/n\n"}});
    EXPECT_FALSE(counted_);
    EXPECT_NE(log.find("Error open " + dir_.file("Data_0.txt") + "\n"), std::string::npos);
    Counts words = CountsOf(tables_.words);
    EXPECT_EQ(words.count("x/7"), 0u);
    EXPECT_EQ(words["z/7"], 1u);
}

}  // namespace

namespace {

TEST(BuildStages, PreparedCorpusCountsIntoWordAndUnitLists) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("corpus.txt"), Gbk("我/r 爱/v 上海/ns\n"));
    qztest::WriteFile(dir.file("corpus.lst"), dir.file("corpus.txt") + "\n");
    mkdir(dir.file("Info").c_str(), 0755);
    qav::CConfig config;
    config.m_InfoDir = dir.file("Info");
    config.m_SizeInfo.HashSize_IdxUnit = 1021;
    config.m_SizeInfo.HashSize_WordList = 1021;

    testing::internal::CaptureStdout();
    ASSERT_TRUE(qav::CreatePreFiles(dir.path(), dir.file("corpus.lst"), dir.file("List.txt"), dir.file("Org.txt"),
                               dir.file("DocInfo.txt"), dir.file("SentInfo.txt")));
    qav::CountTables tables;
    tables.InitHash(config, 1);
    std::vector<qav::CThreadInfo> groups(1);
    groups[0].unit_counts = tables.group_units[0].get();
    groups[0].word_counts = tables.group_words[0].get();
    groups[0].config = &config;
    std::string path;
    int kind = -1;
    std::string list_line = qztest::ReadFile(dir.file("List.txt"));  // one corpus file, one line
    qav::StripLineEnd(&list_line);
    ASSERT_TRUE(qav::ParseListLine(list_line, &path, &kind));
    groups[0].files.push_back(path);
    groups[0].kinds.push_back(kind);
    qav::CountUnitWord(groups);
    tables.MergeHash();
    qav::CWordList units, words;
    tables.HashTables2WordList(units, words);
    qav::PruneWordList(units, words);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(qav::g_nCorpusSize, 18);
    EXPECT_EQ(units.length(), 6);
    for (const qav::CWord& unit : units.words) EXPECT_EQ(unit.count, 1) << unit.text;
    EXPECT_EQ(words.length(), 7);  // three words and the four separators
    ASSERT_TRUE(words.Write2FileEx(dir.file("WordList.dat"), dir.file("Info/WordList.dat")));
    EXPECT_EQ(qztest::ReadFile(dir.file("WordList.dat")).size(), 114u);
}

}  // namespace
