#include "common/text/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/platform/file_handle.h"
#include "support/test_support.h"

namespace {

using Read = std::pair<qz::LineReader::Result, std::string>;

std::vector<Read> ReadAll(const std::string& bytes) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("in.txt"), bytes);
    qz::FileHandle file = qz::OpenFile(dir.file("in.txt"), "rb");
    qz::LineReader reader(file.get());
    std::vector<Read> reads;
    std::string line;
    for (qz::LineReader::Result r; (r = reader.Next(line)) != qz::LineReader::kEnd;) reads.emplace_back(r, line);
    return reads;
}

TEST(LineReader, CutsLineEndsAndReadsALastLineWithoutOne) {
    EXPECT_EQ(
        ReadAll("a\r\n\nb\n\rc"),
        (std::vector<Read>{
            {qz::LineReader::kLine, "a"}, {qz::LineReader::kLine, ""}, {qz::LineReader::kLine, "b"}, {qz::LineReader::kLine, "\rc"}}));
    EXPECT_TRUE(ReadAll("").empty());
}

TEST(LineReader, RefusesLinesOverTheLimitAndGoesOn) {
    const std::string longest(qz::kMaxLineBytes, 'x');
    const std::string over(qz::kMaxLineBytes + 1, 'y');
    std::vector<Read> reads = ReadAll(longest + "\r\n" + over + "\n" + over + "\r\nend\n");
    ASSERT_EQ(reads.size(), 4u);
    EXPECT_EQ(reads[0], (Read{qz::LineReader::kLine, longest}));
    EXPECT_EQ(reads[1].first, qz::LineReader::kTooLong);
    EXPECT_EQ(reads[1].second, std::string(qz::kMaxLineBytes, 'y'));
    EXPECT_EQ(reads[2].first, qz::LineReader::kTooLong);
    EXPECT_EQ(reads[3], (Read{qz::LineReader::kLine, "end"}));
}

TEST(LineReader, ReportsZeroBytes) {
    std::vector<Read> reads = ReadAll(std::string("a\0b\nc\n", 6));
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].first, qz::LineReader::kHasNul);
    EXPECT_EQ(reads[1], (Read{qz::LineReader::kLine, "c"}));
}

std::vector<std::string> ReadPieces(const std::string& bytes, size_t maxBytes) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("in.txt"), bytes);
    qz::LineReader reader(dir.file("in.txt"), maxBytes, qz::LongLines::kSplit);
    EXPECT_TRUE(reader.ok());
    std::vector<std::string> pieces;
    std::string line;
    for (qz::LineReader::Result r; (r = reader.Next(line)) != qz::LineReader::kEnd;) {
        EXPECT_EQ(r, qz::LineReader::kLine);
        pieces.push_back(line);
    }
    return pieces;
}

// The index's own text files keep the piece rules their readers were written
// for: a long line comes as several, a zero byte ends a piece's content.
TEST(LineReader, SplitsLongLinesIntoPieces) {
    using Pieces = std::vector<std::string>;
    struct Case {
        std::string bytes;
        Pieces pieces;
    } cases[] = {
        {"ab\r\ncd", {"ab", "cd"}},
        {"abcdefghij\nk\n", {"abcd", "efgh", "ij", "k"}},
        {"abcd\n", {"abcd", ""}},                   // the line end fills a piece of its own
        {"abc\r\n", {"abc", ""}},                  // "\r" cut at a piece's end
        {std::string("a\0b\nc\n", 6), {"a", "c"}},  // cut at the zero byte
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadPieces(c.bytes, 5), c.pieces) << c.bytes;
}

TEST(LineReader, OwnedFileThatCannotOpenIsNotOk) {
    qztest::TempDir dir;
    qz::LineReader reader(dir.file("missing.txt"), 16, qz::LongLines::kSplit);
    EXPECT_FALSE(reader.ok());
    std::string line;
    EXPECT_EQ(reader.Next(line), qz::LineReader::kEnd);
}

}  // namespace
