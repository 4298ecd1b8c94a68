#include "qav/index/build/sentence_stream.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "qav/index/build/scratch_files.h"
#include "support/test_support.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

auto Fields(const qav::StreamedUnit& u) { return std::make_tuple(u.place, u.index, u.clause, u.span); }

// Writes line the way the counting pass does: the sentence is left out when
// its units were not collected.
void Write(qav::SentenceStreamWriter& writer, const qav::StreamedLine& line) {
    qav::SentenceUnits sentence;
    sentence.closing_bar = line.closing_bar;
    std::vector<uint32_t> unitPlaces;
    for (const qav::StreamedUnit& u : line.units) {
        qav::CSortIdxUnit fields;
        fields.index = u.index;
        fields.clause = u.clause;
        fields.span = u.span;
        sentence.units.push_back({qav::CWord{}, fields});
        unitPlaces.push_back(u.place);
    }
    writer.Add(line.has_line_no, line.line_no, line.collected ? &sentence : nullptr, line.words, unitPlaces);
}

void ExpectSame(const qav::StreamedLine& read, const qav::StreamedLine& written) {
    EXPECT_EQ(read.has_line_no, written.has_line_no);
    EXPECT_EQ(read.line_no, written.line_no);
    EXPECT_EQ(read.collected, written.collected);
    EXPECT_EQ(read.closing_bar, written.closing_bar);
    EXPECT_EQ(read.words, written.words);
    ASSERT_EQ(read.units.size(), written.units.size());
    for (size_t i = 0; i < read.units.size(); ++i) EXPECT_EQ(Fields(read.units[i]), Fields(written.units[i]));
}

std::vector<qav::StreamedLine> SampleLines() {
    std::vector<qav::StreamedLine> lines(4);
    lines[0] = {true, 12345678901LL, true, false, {0, 7, 7, 4294967295u}, {{3, -1, 0, 255}, {9, 32767, 200, 1}}};
    lines[1] = {false, 0, true, true, {5}, {}};      // no number, the "|" after its words
    lines[2] = {true, -4, false, false, {}, {}};     // a tree that could not be read
    lines[3] = {false, 0, true, false, {}, {}};      // an empty line
    return lines;
}

TEST(SentenceStream, LinesComeBackAsWritten) {
    qztest::TempDir dir;
    const std::string path = dir.file("g.lines.tmp");
    std::vector<qav::StreamedLine> lines = SampleLines();
    // Enough long lines to cross the buffer more than once both ways.
    qav::StreamedLine longLine{true, 1, true, false, std::vector<uint32_t>(70000), {}};
    for (uint32_t i = 0; i < longLine.words.size(); ++i) longLine.words[i] = i * 2654435761u;
    longLine.units.resize(30000, qav::StreamedUnit{11, 2, 3, 4});
    for (int i = 0; i < 6; ++i) lines.push_back(longLine);

    qav::SentenceStreamWriter writer;
    ASSERT_TRUE(writer.Open(path));
    for (const qav::StreamedLine& line : lines) Write(writer, line);
    ASSERT_TRUE(writer.Close());

    qav::SentenceStreamReader reader;
    ASSERT_TRUE(reader.Open(path));
    qav::StreamedLine read;
    for (const qav::StreamedLine& line : lines) {
        ASSERT_TRUE(reader.Next(read));
        ExpectSame(read, line);
    }
    EXPECT_FALSE(reader.Next(read));
    EXPECT_FALSE(reader.failed());
}

TEST(SentenceStream, ACutShortFileIsAFailureNotAnEnd) {
    qztest::TempDir dir;
    const std::string path = dir.file("g.lines.tmp");
    qav::SentenceStreamWriter writer;
    ASSERT_TRUE(writer.Open(path));
    for (const qav::StreamedLine& line : SampleLines()) Write(writer, line);
    ASSERT_TRUE(writer.Close());
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    ASSERT_EQ(truncate(path.c_str(), 10), 0);  // inside the first line's words

    qav::SentenceStreamReader reader;
    ASSERT_TRUE(reader.Open(path));
    qav::StreamedLine read;
    EXPECT_FALSE(reader.Next(read));
    EXPECT_TRUE(reader.failed());

    EXPECT_FALSE(reader.Open(dir.file("missing")));
    EXPECT_FALSE(writer.Open(dir.file("no/such/folder")));
    EXPECT_FALSE(writer.Close());
}

TEST(SentenceStream, FilesAreNamedPerGroupAndRemovedByTheirOwner) {
    qztest::TempDir dir;
    std::vector<std::string> paths;
    {
        qav::ScratchFiles files(".lines.tmp");
        files.Name(dir.file("DATA"), 3);
        ASSERT_EQ(files.size(), 3u);
        EXPECT_EQ(files.Path(2), dir.file("DATA_2.lines.tmp"));
        for (size_t g = 0; g < files.size(); ++g) {
            qav::SentenceStreamWriter writer;
            ASSERT_TRUE(writer.Open(files.Path(g)));
            ASSERT_TRUE(writer.Close());
            paths.push_back(files.Path(g));
        }
        files.Name(dir.file("DATA"), 1);  // naming again removes the earlier files
        EXPECT_FALSE(Exists(paths[1]));
        qav::SentenceStreamWriter writer;
        ASSERT_TRUE(writer.Open(files.Path(0)));
        ASSERT_TRUE(writer.Close());
    }
    EXPECT_FALSE(Exists(paths[0]));
}

}  // namespace
