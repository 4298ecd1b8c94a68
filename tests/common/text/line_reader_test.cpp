#include "common/text/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/platform/file_handle.h"
#include "support/test_support.h"

namespace {

using Read = std::pair<LineReader::Result, std::string>;

std::vector<Read> ReadAll(const std::string& bytes) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("in.txt"), bytes);
    FileHandle file = OpenFile(dir.file("in.txt"), "rb");
    LineReader reader(file.get());
    std::vector<Read> reads;
    std::string line;
    for (LineReader::Result r; (r = reader.Next(line)) != LineReader::kEnd;) reads.emplace_back(r, line);
    return reads;
}

TEST(LineReader, CutsLineEndsAndReadsALastLineWithoutOne) {
    EXPECT_EQ(
        ReadAll("a\r\n\nb\n\rc"),
        (std::vector<Read>{
            {LineReader::kLine, "a"}, {LineReader::kLine, ""}, {LineReader::kLine, "b"}, {LineReader::kLine, "\rc"}}));
    EXPECT_TRUE(ReadAll("").empty());
}

TEST(LineReader, RefusesLinesOverTheLimitAndGoesOn) {
    const std::string longest(kMaxLineBytes, 'x');
    const std::string over(kMaxLineBytes + 1, 'y');
    std::vector<Read> reads = ReadAll(longest + "\r\n" + over + "\n" + over + "\r\nend\n");
    ASSERT_EQ(reads.size(), 4u);
    EXPECT_EQ(reads[0], (Read{LineReader::kLine, longest}));
    EXPECT_EQ(reads[1].first, LineReader::kTooLong);
    EXPECT_EQ(reads[1].second, std::string(kMaxLineBytes, 'y'));
    EXPECT_EQ(reads[2].first, LineReader::kTooLong);
    EXPECT_EQ(reads[3], (Read{LineReader::kLine, "end"}));
}

TEST(LineReader, ReportsZeroBytes) {
    std::vector<Read> reads = ReadAll(std::string("a\0b\nc\n", 6));
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].first, LineReader::kHasNul);
    EXPECT_EQ(reads[1], (Read{LineReader::kLine, "c"}));
}

}  // namespace
