#include "qav/index/build/build_log.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdio>

#include "qav/index/base/qav_log.h"
#include "support/test_support.h"

namespace {

std::vector<std::string> LogFiles(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d))
            if (std::string(entry->d_name).rfind("qav_idx_", 0) == 0) names.push_back(entry->d_name);
        closedir(d);
    }
    return names;
}

TEST(BuildLog, PathIsNamedByLocalTime) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 2;
    t.tm_hour = 3;
    t.tm_min = 4;
    t.tm_sec = 5;
    EXPECT_EQ(qav::BuildLogPath("/idx", t), "/idx/qav_idx_20260102_030405.log");
}

TEST(BuildLog, StartsAndEndsWithItsLinesAndHoldsTheStageLines) {
    qztest::TempDir dir;
    ASSERT_EQ(qav::g_log_file, nullptr);
    ASSERT_TRUE(qav::OpenBuildLog(dir.path()));
    ASSERT_NE(qav::g_log_file, nullptr);
    std::FILE* opened = qav::g_log_file;

    testing::internal::CaptureStdout();
    qav::QavLog("Count Unit Word %d\n", 1);
    qav::QavLogOnly("Merge Hash\n");
    // A log already open is kept, without a second first line.
    EXPECT_TRUE(qav::OpenBuildLog(dir.path()));
    EXPECT_EQ(qav::g_log_file, opened);
    qav::QavLogClose();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Count Unit Word 1\n");
    EXPECT_EQ(qav::g_log_file, nullptr);

    const std::vector<std::string> logs = LogFiles(dir.path());
    ASSERT_EQ(logs.size(), 1u);
    int y, mo, d, h, mi, s;
    char rest[8] = "";
    ASSERT_EQ(std::sscanf(logs[0].c_str(), "qav_idx_%4d%2d%2d_%2d%2d%2d%7s", &y, &mo, &d, &h, &mi, &s, rest), 7);
    EXPECT_STREQ(rest, ".log");
    ASSERT_EQ(logs[0].size(), std::string("qav_idx_20260102_030405.log").size());
    char expectedFirst[64];
    std::snprintf(expectedFirst, sizeof expectedFirst, "=== QAV Index Log Started: %04d-%02d-%02d %02d:%02d:%02d ===\n",
                  y, mo, d, h, mi, s);
    EXPECT_EQ(qztest::ReadFile(dir.file(logs[0])),
              std::string(expectedFirst) + "Count Unit Word 1\nMerge Hash\n=== QAV Index Log Ended ===\n");
}

TEST(BuildLog, MissingDirectoryOpensNoLog) {
    qztest::TempDir dir;
    EXPECT_FALSE(qav::OpenBuildLog(dir.file("missing")));
    EXPECT_EQ(qav::g_log_file, nullptr);
}

}  // namespace
