#include "qav/index/format/index_text_lines.h"

#include <gtest/gtest.h>

#include "qav/index/format/index_files.h"

namespace {

TEST(IndexTextLines, Formats) {
    EXPECT_EQ(qav::ListLine("/idx/Data_0.txt", 1), "/idx/Data_0.txt\t1\n");
    EXPECT_EQ(qav::DataTextLine(17, "a/b c/d"), "17\ta/b c/d\n");
    EXPECT_EQ(qav::OrgLines(0, 3, "Doc_0"), "#0\t3\nT:Doc_0\nEx:\n");
    EXPECT_EQ(qav::SentInfoTextLine(12, 3, "NP"), "12\t3\tNP\n");
    EXPECT_EQ(qav::DocInfoHeaderLine(2), "#2\n");
    EXPECT_EQ(qav::IdLine(8589935104LL, 17), "8589935104\t17\n");
    EXPECT_EQ(qav::CountLine("|", 5), "|\t5\n");
}

TEST(IndexTextLines, StripLineEnd) {
    const struct { std::string in, out; } cases[] = {
        {"a\r\n", "a"}, {"a\n", "a"}, {"a\r", "a"}, {"a\n\r", "a\n"}, {"a\r\r\n", "a\r"}, {"", ""}};
    for (const auto& c : cases) {
        std::string line = c.in;
        qav::StripLineEnd(&line);
        EXPECT_EQ(line, c.out) << c.in;
    }
}

TEST(IndexTextLines, ParseListLine) {
    const struct { std::string line; bool taken; std::string path; int kind; } cases[] = {
        {"/idx/Data_0.txt\t2", true, "/idx/Data_0.txt", 2},
        {"/idx/Data_1.txt", true, "/idx/Data_1.txt", -1},
        {"", false, "", 0},
        {" /idx/a\t0", false, "", 0},
        {"#x\t0", false, "", 0},
        {"-x\t0", false, "", 0},
        {"\\x\t0", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string path;
        int kind = 99;
        EXPECT_EQ(qav::ParseListLine(c.line, &path, &kind), c.taken) << c.line;
        if (!c.taken) continue;
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(kind, c.kind);
    }
}

TEST(IndexTextLines, ParseIdLine) {
    int64_t key = 0, line = 0;
    ASSERT_TRUE(qav::ParseIdLine("8589935104\t17", &key, &line));
    EXPECT_EQ(key, 8589935104LL);
    EXPECT_EQ(line, 17);
    EXPECT_FALSE(qav::ParseIdLine("512 0", &key, &line));
}

TEST(IndexFiles, NumberedPathsAndWarningFile) {
    EXPECT_EQ(qav::DatFilePath("/idx/Offset", 3), "/idx/Offset_3.dat");
    EXPECT_EQ(qav::IdFilePath("/idx/Info/Corpus", 2), "/idx/Info/Corpus_2.ID");
    EXPECT_EQ(qav::DataTextPath("/idx", 0), "/idx/Data_0.txt");
    const struct { const char* data; const char* warning; } cases[] = {
        {"/idx/Data_0.txt", "/idx/Info/Data_0.txt"},
        {"C:\\idx\\Data_1.txt", "/idx/Info\\Data_1.txt"},
        {"Data_2.txt", "/idx/Info/Data_2.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(qav::WarningFilePath("/idx/Info", c.data), c.warning) << c.data;
}

}  // namespace
