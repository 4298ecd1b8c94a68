// The builder's own stages: file groups, file-kind and language detection,
// removal of the temporary text files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "qav/index/build/build_log.h"
#include "qav/index/build/build_stages.h"
#include "qav/index/base/build_inputs.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using qztest::Gbk;
using qztest::TempDir;
using qztest::WriteFile;

std::vector<size_t> GroupSizes(const qav::CQAVIdx& idx) {
    std::vector<size_t> sizes;
    for (const auto& group : idx.m_FileGroups) sizes.push_back(group.size());
    return sizes;
}

TEST(FileGroups, FilesAreCutIntoContiguousGroups) {
    struct Case {
        int files;
        int threads;
        std::vector<size_t> sizes;  // empty: no group, the stage fails
    } cases[] = {
        {3, 2, {2, 1}},
        {5, 3, {2, 2, 1}},
        {2, 8, {1, 1}},
        {3, -1, {1, 1, 1}},  // a negative setting is capped like a large one
        {3, 0, {}},
        {0, 4, {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        std::string list;
        for (int f = 0; f < c.files; ++f) list += "f" + std::to_string(f) + "\t0\n";
        WriteFile(dir.file("List.txt"), list);
        qav::CQAVIdx idx;
        idx.m_Config.m_SizeInfo.ThreadNum_Count = c.threads;
        EXPECT_EQ(!c.sizes.empty(), idx.ReadInFiles(dir.file("List.txt"))) << c.files << "/" << c.threads;
        EXPECT_EQ(c.sizes, GroupSizes(idx)) << c.files << "/" << c.threads;
        EXPECT_EQ(static_cast<int32_t>(c.sizes.size()), idx.m_nGroupCount);
        if (c.files == 5 && c.threads == 3) {
            EXPECT_EQ((std::vector<std::string>{"f2", "f3"}), idx.m_FileGroups[1]);
        }
    }
}

TEST(FileGroups, AtMost255Groups) {
    TempDir dir;
    std::string list;
    for (int f = 0; f < 300; ++f) list += "f" + std::to_string(f) + "\n";
    WriteFile(dir.file("List.txt"), list);
    qav::CQAVIdx idx;
    idx.m_Config.m_SizeInfo.ThreadNum_Count = 1000;
    ASSERT_TRUE(idx.ReadInFiles(dir.file("List.txt")));
    ASSERT_EQ(255, idx.m_nGroupCount);
    EXPECT_EQ(2u, idx.m_FileGroups[44].size());  // 300 mod 255 = 45 groups of two
    EXPECT_EQ(1u, idx.m_FileGroups[45].size());
}

TEST(FileGroups, CommentLinesAreSkippedAndKindsFollowTheTab) {
    TempDir dir;
    WriteFile(dir.file("List.txt"), "a.txt\t1\r\n# note\n b.txt\t0\n-c.txt\n\\d.txt\n\ne.txt\nf.txt\t2\n");
    qav::CQAVIdx idx;
    idx.m_Config.m_SizeInfo.ThreadNum_Count = 1;
    ASSERT_TRUE(idx.ReadInFiles(dir.file("List.txt")));
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"a.txt", "e.txt", "f.txt"}}), idx.m_FileGroups);
    EXPECT_EQ((std::vector<std::vector<int>>{{1, -1, 2}}), idx.m_KindGroups);
}

TEST(FileGroups, MissingListFails) {
    qav::CQAVIdx idx;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(idx.ReadInFiles("/nonexistent/List.txt"));
    EXPECT_EQ("Error open /nonexistent/List.txt\n", testing::internal::GetCapturedStdout());
}

// Data text lines "n\tsentence" of UTF-8 sentences, repeated.
std::string DataLines(const std::vector<std::string>& sentences, int repeat = 1) {
    std::string text;
    int line = 0;
    for (int r = 0; r < repeat; ++r)
        for (const std::string& s : sentences) text += std::to_string(line++) + "\t" + Gbk(s) + "\n";
    return text;
}

TEST(CorpusKind, KindAndLanguageFollowTheText) {
    const std::string seq = "我/r 爱/v 上海/ns";
    const std::string square = "[IP [NP [中国 NR]] [VP [发展 VV]]]";
    const std::string round = "(IP (NP (NR 中国)) (VP (VV 发展)))";
    const std::string english = "The/DT river/NN ./.";
    const std::string group = "齄";
    struct Case {
        const char* what;
        std::vector<std::string> files;
        int kind;
        int language;
    } cases[] = {
        {"sequences", {DataLines({seq, seq})}, 0, 0},
        {"3 of 5 square trees", {DataLines({square, seq, square, seq, square})}, 1, 0},
        {"2 of 5 trees is not over 40%", {DataLines({square, seq, square, seq, seq})}, 0, 0},
        {"last tree kind over two files", {DataLines({square}), DataLines({round})}, 2, 0},
        {"group lines are not counted", {DataLines({round, group, group, group, seq})}, 2, 0},
        {"English", {DataLines({english, english})}, 0, 1},
        {"1 Chinese line in 10 is not under 10%", {DataLines({english}, 9) + DataLines({seq})}, 0, 0},
        {"decided at line 10,001", {DataLines({english}, 10001) + DataLines({seq}, 5000)}, 0, 1},
        {"a line without a tab is text", {Gbk(square) + "\n"}, 1, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        qav::CQAVIdx idx;
        idx.m_Config.m_Language = 1;
        idx.m_FileGroups.emplace_back();
        for (size_t f = 0; f < c.files.size(); ++f) {
            const std::string path = dir.file("Data_" + std::to_string(f) + ".txt");
            WriteFile(path, c.files[f]);
            idx.m_FileGroups.back().push_back(path);
        }
        idx.CheckIsTreeType();
        EXPECT_EQ(c.kind, idx.m_Config.m_CorpusKind) << c.what;
        EXPECT_EQ(c.language, idx.m_Config.m_Language) << c.what;
    }
}

TEST(CorpusKind, UnreadableFileDecidesNothing) {
    TempDir dir;
    WriteFile(dir.file("Data_1.txt"), DataLines({"the/DT dog/NN"}));
    qav::CQAVIdx idx;
    idx.m_Config.m_CorpusKind = 2;
    idx.m_FileGroups = {{dir.file("missing.txt")}, {dir.file("Data_1.txt")}};
    idx.CheckIsTreeType();
    EXPECT_EQ(2, idx.m_Config.m_CorpusKind);
    EXPECT_EQ(0, idx.m_Config.m_Language);
}

TEST(TempFiles, ListedFilesAndTheListAreRemoved) {
    TempDir dir;
    for (const char* name : {"Data_0.txt", "Data_1.txt", "kept.txt"}) WriteFile(dir.file(name), "x");
    WriteFile(dir.file("List.txt"),
              dir.file("Data_0.txt") + "\t0\n#" + dir.file("kept.txt") + "\n" + dir.file("Data_1.txt") + "\n");
    qav::CQAVIdx idx;
    ASSERT_TRUE(idx.DelTmpFiles(dir.file("List.txt")));
    EXPECT_FALSE(fs::exists(dir.file("Data_0.txt")));
    EXPECT_FALSE(fs::exists(dir.file("Data_1.txt")));
    EXPECT_FALSE(fs::exists(dir.file("List.txt")));
    EXPECT_TRUE(fs::exists(dir.file("kept.txt")));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(idx.DelTmpFiles(dir.file("List.txt")));
    EXPECT_EQ("Error open " + dir.file("List.txt") + "\n", testing::internal::GetCapturedStdout());
}

TEST(TempFiles, BaseNameAfterTheLastSeparator) {
    EXPECT_EQ("Data_0.txt", qav::_basename("D:\\idx\\Data_0.txt"));
    EXPECT_EQ("Data_0.txt", qav::_basename("/idx/Data_0.txt"));
    EXPECT_EQ("b/c.txt", qav::_basename("a\\b/c.txt"));  // a backslash wins over a later slash
    EXPECT_EQ("c.txt", qav::_basename("c.txt"));
    EXPECT_EQ("", qav::_basename("dir/"));
}

// Number of times part occurs in text.
size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(BuildStageLog, StagesLogStartRunningLinesAndTheirEnd) {
    TempDir dir;
    qav::QavLogClose();  // an earlier test of this program may have left its log open
    ASSERT_TRUE(qav::OpenBuildLog(dir.path()));
    {
        qav::BuildStages stages(qav::BuildStages::kLogOnly, std::chrono::milliseconds(20));
        stages.Begin("Slow Stage \n");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        stages.End(true);
        stages.Begin("Quick Stage\n");
        EXPECT_FALSE(stages.End(false));
        stages.Total();
    }
    qav::QavLogClose();
    const fs::directory_iterator logFile(dir.path());
    ASSERT_NE(logFile, fs::directory_iterator());
    const std::string log = qztest::ReadFile(logFile->path().string());
    EXPECT_NE(std::string::npos, log.find("\nSlow Stage \n  [Slow Stage] running, 0 s\n")) << log;
    EXPECT_GE(Occurrences(log, "  [Slow Stage] running, "), 2u) << log;
    const size_t done = log.find("  [Slow Stage] done, ");
    ASSERT_NE(std::string::npos, done) << log;
    EXPECT_GE(std::stod(log.substr(done + 20)), 0.15);
    EXPECT_NE(std::string::npos, log.find("Quick Stage\n  [Quick Stage] failed after ")) << log;
    EXPECT_EQ(0u, Occurrences(log, "  [Quick Stage] running"));
    const size_t total = log.find("  [Total] ");
    ASSERT_NE(std::string::npos, total) << log;
    EXPECT_GE(std::stod(log.substr(total + 10)), 0.15);
}

}  // namespace
