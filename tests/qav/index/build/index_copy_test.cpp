#include "qav/index/build/index_copy.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "qav/index/base/build_inputs.h"
#include "support/test_support.h"

namespace {

TEST(CopyFile, CopiesBytesAndKeepsASelfCopyIntact) {
    qztest::TempDir dir;
    const std::string bytes = std::string("{\"a\":1}\0\xFF\n", 11);
    qztest::WriteFile(dir.file("cfg.json"), bytes);
    qav::CopyFile(dir.file("cfg.json"), dir.file("config.txt"));
    EXPECT_EQ(qztest::ReadFile(dir.file("config.txt")), bytes);

    // The same file named two ways is neither emptied nor reported.
    testing::internal::CaptureStdout();
    qav::CopyFile(dir.file("config.txt"), dir.path() + "/./config.txt");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(qztest::ReadFile(dir.file("config.txt")), bytes);
}

TEST(CopyFile, ReportsFilesThatCannotBeOpened) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("a"), "x");
    const struct { std::string from, to; } cases[] = {
        {dir.file("missing"), dir.file("b")},
        {dir.file("a"), dir.file("no/such/b")},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        qav::CopyFile(c.from, c.to);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error copyfile from " + c.from + " to " + c.to + "!\n");
    }
}

TEST(MergeCorpusIDFiles, ConcatenatesGroupsInOrder) {
    qztest::TempDir dir;
    ASSERT_EQ(mkdir(dir.file("Info").c_str(), 0755), 0);
    qztest::WriteFile(dir.file("Info/Corpus_0.ID"), "512\t0\n520\t1\n");
    qztest::WriteFile(dir.file("Info/Corpus_1.ID"), "");
    qztest::WriteFile(dir.file("Info/Corpus_2.ID"), "8589935104\t17\n");
    ASSERT_TRUE(qav::MergeCorpusIDFiles(3, dir.path(), dir.file("Info/Corpus")));
    EXPECT_EQ(qztest::ReadFile(dir.file("Info/Corpus.ID")), "512\t0\n520\t1\n8589935104\t17\n");
}

TEST(MergeCorpusIDFiles, MissingGroupFileFails) {
    qztest::TempDir dir;
    ASSERT_EQ(mkdir(dir.file("Info").c_str(), 0755), 0);
    qztest::WriteFile(dir.file("Info/Corpus_0.ID"), "512\t0\n");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(qav::MergeCorpusIDFiles(2, dir.path(), dir.file("Info/Corpus")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error open " + dir.file("Info/Corpus_1.ID") + "\n");

    qztest::TempDir noInfo;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(qav::MergeCorpusIDFiles(0, noInfo.path(), noInfo.file("Info/Corpus")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error open " + noInfo.file("Info/Corpus.ID") + "\n");
}

}  // namespace
