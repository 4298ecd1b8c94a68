#include "qav/fulltext/build/bm_idx.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>

#include "build_fixture.h"
#include "common/platform/byte_codec.h"
#include "fst_reader.h"
#include "include/qavlib.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/fulltext/format/term_table_file.h"

namespace qav::bm {
namespace {

using qav_bm_test::ReadDocToTermShard;
using qav_bm_test::TestBuild;
using qav_bm_test::TestConfig;

std::vector<uint32_t> ReadWords(const std::string& path) {
    const std::string bytes = qztest::ReadFile(path);
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

// The postings of one chunk of a term-to-document shard.
std::vector<std::array<uint32_t, 3>> ReadChunk(const std::string& shard, uint32_t offset) {
    const std::string bytes = qztest::ReadFile(shard);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::vector<std::array<uint32_t, 3>> postings(qz::bytes::Load<uint32_t>(data + offset));
    for (size_t i = 0; i < postings.size(); ++i)
        for (size_t j = 0; j < 3; ++j) postings[i][j] = qz::bytes::Load<uint32_t>(data + offset + 4 + 12 * i + 4 * j);
    return postings;
}

TEST(IdxBM, BuildsEveryFileOfOneDocument) {
    TestBuild build;
    ASSERT_EQ(build.Run(TestConfig({"title", "abstract"}, {}, 1),
                        {"#Global id=D001;date=2020\n#Group name=title\nItem:full text search\n"
                         "#Group name=abstract\nItem:an index of words\nTable\n"}),
              1)
        << build.log;
    EXPECT_EQ(qztest::ReadFile(build.file("Engine.txt")), "Engine=BM\nLanguage=Chinese\n");
    EXPECT_EQ(qztest::ReadFile(build.file("config.txt")), qztest::ReadFile(build.dir.file("config.txt")));

    const auto records = ReadDocToTermShard(build.file("Data-0"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records.at(0).dl, 3u);
    EXPECT_EQ(records.at(0).entries.size(), 3u);
    EXPECT_EQ(records.at(23).dl, 4u);
    EXPECT_EQ(records.at(23).entries.size(), 4u);

    EXPECT_EQ(qztest::ReadFile(build.file("Data_0.ori")), "fulltextsearchanindexofwords");
    std::string orx;
    qz::bytes::Append<int64_t>(orx, 0);
    qz::bytes::Append<uint32_t>(orx, 14);
    qz::bytes::Append<int64_t>(orx, 14);
    qz::bytes::Append<uint32_t>(orx, 14);
    EXPECT_EQ(qztest::ReadFile(build.file("Data_0.orx")), orx);
    EXPECT_EQ(qztest::ReadFile(build.file("Data_0.pid")), "D001 0\n");
    EXPECT_EQ(qztest::ReadFile(build.file("Data.pid")), "D001 0\n");
    EXPECT_EQ(qav_bm_test::FstLookup(ReadWords(build.file("Data.BYTE")), "D001"), 0);

    CHashTableBM table(4096);
    ASSERT_TRUE(LoadTermList(build.file("WordList"), table));
    EXPECT_EQ(table.m_nDocNum, 1u);
    EXPECT_EQ(table.m_FieldDocs, (std::map<uint32_t, uint32_t>{{0, 1}, {1, 1}}));
    EXPECT_EQ(table.m_FieldTokens, (std::map<uint32_t, uint32_t>{{0, 3}, {1, 4}}));
    EXPECT_EQ(table.termCountInTable(), 7u);
    const CHashNodeBM* index = table.GetHashNode("index");
    ASSERT_NE(index, nullptr);
    ASSERT_EQ(index->chunkOffsets.size(), 1u);
    EXPECT_EQ(ReadChunk(build.file("Unit-0"), index->chunkOffsets[0]),
              (std::vector<std::array<uint32_t, 3>>{{23, 0, 1}}));
    const auto& entries = records.at(23).entries;
    EXPECT_NE(std::find(entries.begin(), entries.end(), std::make_pair(index->termNumber, 1u)), entries.end());

    for (const char* temporary : {"Unit_0", "Data_0", "Org.dat_0"})
        EXPECT_FALSE(std::ifstream(build.file(temporary)).good()) << temporary;
    EXPECT_TRUE(std::ifstream(build.file("WordList_w_InfoXY")).good());
}

TEST(IdxBM, WritesEveryKeyAndFieldAndKeepsTheLastDocumentOfAFile) {
    TestBuild build;
    // Two documents share a name; the second lacks "year" and "title" and has
    // no closing line, its only field still pending at the end of the file.
    ASSERT_EQ(build.Run(TestConfig({"title", "abstract"}, {"id", "year"}, 1),
                        {"#Global id=A;year=2020\n#Group name=title\nItem:alpha beta /x\nTable\n"
                         "#Global id=A\n#Group name=abstract\nItem:alpha  gamma\n"}),
              1)
        << build.log;
    const std::string orx = qztest::ReadFile(build.file("Data_0.orx"));
    const std::vector<std::string> keys = {"id", "year"};
    CDocInfo first;
    ASSERT_TRUE(DecodeDocInfo(keys, 2, orx, &first));
    EXPECT_EQ(first.info, (std::map<std::string, std::string>{{"id", "A"}, {"year", "2020"}}));
    EXPECT_EQ(first.fields, (std::vector<int64_t>{0, 11, 11, 0}));
    const size_t second = 4 + 1 + 4 + 4 + 2 * 12;
    CDocInfo next;
    ASSERT_TRUE(DecodeDocInfo(keys, 2, orx.substr(second), &next));
    EXPECT_EQ(next.info, (std::map<std::string, std::string>{{"id", "A"}, {"year", ""}}));
    EXPECT_EQ(next.fields, (std::vector<int64_t>{11, 0, 11, 11}));
    EXPECT_EQ(qztest::ReadFile(build.file("Data_0.ori")), "alphabeta/xalpha gamma");
    EXPECT_EQ(qztest::ReadFile(build.file("Data_0.pid")), "A 0\nA " + std::to_string(second) + "\n");
    EXPECT_EQ(qav_bm_test::FstLookup(ReadWords(build.file("Data.BYTE")), "A"), 0);

    // Documents and df are counted per document, not per name; the empty
    // word of "/x" is no term.
    CHashTableBM table(4096);
    ASSERT_TRUE(LoadTermList(build.file("WordList"), table));
    EXPECT_EQ(table.m_nDocNum, 2u);
    EXPECT_EQ(table.GetHashNode("alpha")->df, 2u);
    EXPECT_EQ(table.GetHashNode("alpha")->postingCount, 2u);
    EXPECT_EQ(table.m_FieldTokens, (std::map<uint32_t, uint32_t>{{0, 2}, {1, 2}}));
    EXPECT_EQ(table.termCountInTable(), 3u);
}

TEST(IdxBM, MergesTermsOfSeveralGroupsAndCapsTermFrequencies) {
    TestBuild build;
    std::string many = "Item:";
    for (int i = 0; i < 5000; ++i) many += "a ";
    ASSERT_EQ(build.Run(TestConfig({"body"}, {}, 2),
                        {"#Global id=X\n#Group name=body\nItem:b a\nTable\n",
                         "#Global id=Y\n#Group name=body\n" + many + "b\nTable\n"}),
              1)
        << build.log;
    CHashTableBM table(4096);
    ASSERT_TRUE(LoadTermList(build.file("WordList"), table));
    const CHashNodeBM& a = *table.GetHashNode("a");
    const CHashNodeBM& b = *table.GetHashNode("b");
    EXPECT_EQ(table.m_nDocNum, 2u);
    EXPECT_EQ(a.df, 2u);
    EXPECT_EQ(a.chunkShards, (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(ReadChunk(build.file("Unit-1"), a.chunkOffsets[1]), (std::vector<std::array<uint32_t, 3>>{{0, 0, 0}}));
    const auto records = ReadDocToTermShard(build.file("Data-1"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.at(0).dl, 5001u);
    const std::vector<std::pair<uint32_t, uint32_t>> expected =
        a.termNumber < b.termNumber ? std::vector<std::pair<uint32_t, uint32_t>>{{a.termNumber, 4095}, {b.termNumber, 1}}
                                    : std::vector<std::pair<uint32_t, uint32_t>>{{b.termNumber, 1}, {a.termNumber, 4095}};
    EXPECT_EQ(records.at(0).entries, expected);
    EXPECT_EQ(qztest::ReadFile(build.file("Data.pid")), "X 0\nY 4294967296\n");
    EXPECT_EQ(qav_bm_test::FstLookup(ReadWords(build.file("Data.BYTE")), "Y"), int64_t{1} << 32);
}

TEST(IdxBM, AnEmptyFileListBuildsAnEmptyIndex) {
    TestBuild build;
    ASSERT_EQ(build.Run(TestConfig({"title"}, {}, 4), {}), 1) << build.log;
    std::string empty;
    qz::bytes::Append<uint32_t>(empty, 0);
    EXPECT_EQ(qztest::ReadFile(build.file("WordList")), empty + empty + empty);
    EXPECT_EQ(qztest::ReadFile(build.file("WordList_w")), empty);
    EXPECT_EQ(qztest::ReadFile(build.file("Data.pid")), "");
    EXPECT_EQ(qztest::ReadFile(build.file("Data.BYTE")), "");
}

TEST(IdxBM, FailsWhenAnInputThreadFails) {
    const std::string good = "#Global id=A\n#Group name=title\nItem:a\nTable\n";
    const struct { std::vector<std::string> inputs; std::string moreList, message; } cases[] = {
        {{good, "#Global ;;\n"}, "", "Error data format \n"},
        {{good}, "/nonexistent/input.txt\n", "Error open /nonexistent/input.txt\n"},
    };
    for (const auto& c : cases) {
        TestBuild build;
        EXPECT_EQ(build.Run(TestConfig({"title"}, {}, 2), c.inputs, c.moreList), 0);
        EXPECT_NE(build.log.find(c.message), std::string::npos) << build.log;
    }
}

TEST(IdxBM, RefusesAConfigurationNotNamedConfigTxt) {
    TestBuild build;
    qztest::WriteFile(build.dir.file("my.json"), TestConfig({"title"}, {}, 1));
    qztest::WriteFile(build.dir.file("files.list"), "");
    testing::internal::CaptureStdout();
    EXPECT_EQ(IdxBM(build.dir.file("my.json").c_str(), build.dir.file("files.list").c_str(), build.index().c_str()),
              0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Configure file must be: \"config.txt\"!\n") !=
                  std::string::npos,
              true);
}

TEST(IdxBM, RebuildsFromTheIndexDirectorysOwnConfiguration) {
    TestBuild build;
    const std::string config = TestConfig({"title"}, {}, 1);
    ASSERT_EQ(build.Run(config, {"#Global id=A\n#Group name=title\nItem:a\nTable\n"}), 1) << build.log;
    testing::internal::CaptureStdout();
    EXPECT_EQ(IdxBM(build.file("config.txt").c_str(), build.dir.file("files.list").c_str(), build.index().c_str()),
              1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(qztest::ReadFile(build.file("config.txt")), config);
}

TEST(CBMIdx, GroupsTheListedFiles) {
    const struct { std::string list; int threads; std::vector<size_t> sizes; } cases[] = {
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 4, {3, 3, 2, 2}},
        {"1\n2\n", 8, {1, 1}},
        {"1\n2\n3\n", 0, {3}},
        {"# c\n-x\n y\n\\z\n\n1\r\n2\n", 4, {1, 1}},
        {"", 4, {}},
    };
    for (const auto& c : cases) {
        qztest::TempDir dir;
        qztest::WriteFile(dir.file("list"), c.list);
        CBMIdx builder;
        builder.m_Config.m_SizeInfo.ThreadNum_Count = c.threads;
        ASSERT_TRUE(builder.ReadInFiles(dir.file("list")));
        std::vector<size_t> sizes;
        for (const auto& group : builder.fileGroups()) sizes.push_back(group.size());
        EXPECT_EQ(sizes, c.sizes) << c.list;
    }
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("list"), "a\r\nb\n");
    CBMIdx builder;
    ASSERT_TRUE(builder.ReadInFiles(dir.file("list")));
    EXPECT_EQ(builder.fileGroups(), (std::vector<std::vector<std::string>>{{"a", "b"}}));
}

}  // namespace
}  // namespace qav::bm
