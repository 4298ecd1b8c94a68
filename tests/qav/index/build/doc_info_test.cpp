// Document table and sentence information: build, write, load, look up.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "qav/index/build/info_stage.h"
#include "qav/index/engine/org_info.h"
#include "qav/index/engine/sent_info.h"
#include "support/test_support.h"

namespace {

using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteFile;

constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

// A document table written by the builder's own writer: the documents end at
// the given lines, and line L of the identifier table has key idKeys[L].
void WriteOrgDat(const TempDir& dir, const std::vector<std::pair<int, std::string>>& docs,
                 const std::vector<uint64_t>& idKeys) {
    std::string org;
    for (const auto& [end, name] : docs) {
        org += "#0\t" + std::to_string(end) + "\nT:" + name + "\nEx:\n";
    }
    WriteFile(dir.file("Org.txt"), org);
    qav::COrgInfo builder;
    ASSERT_TRUE(builder.InitOrgEx(dir.file("Org.txt")));
    builder.MapEndLinesToKeys(idKeys);
    ASSERT_TRUE(builder.WriteOrg(dir.file("Org.dat")));
}

TEST(DocumentTable, FinalStageWritesTableAndSentenceInfoThatLoadBack) {
    TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directories(dir.file("Info")));
    WriteFile(dir.file("Info/Corpus.ID"), "512\t0\n");
    WriteFile(dir.file("Org.txt"), "#0\t1\nT:Doc_0\nEx:\n");
    WriteFile(dir.file("SentInfo.txt"), "0\t0\tNP\n");

    testing::internal::CaptureStdout();
    EXPECT_TRUE(qav::IdxSentInfoAndWriteOrg(dir.path()));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("Done.\n"));

    EXPECT_EQ(Bytes({1, 0, 0, 0}) + std::string(8, '\xFF') + Bytes({5, 0, 0, 0}) + "Doc_0",
              ReadFile(dir.file("Org.dat")));
    qav::COrgInfo org;
    ASSERT_TRUE(org.OrgInfoInit(dir.file("Org.dat")));
    EXPECT_EQ((std::vector<uint64_t>{0, kLargest}), org.Keys());
    std::string name;
    uint64_t first = 1, last = 0;
    ASSERT_TRUE(org.GetLimit(512, name, first, last));
    EXPECT_EQ("Doc_0", name);
    EXPECT_EQ(0u, first);
    EXPECT_EQ(kLargest - 1, last);

    qav::CHashTableInfo info;
    info.MakeBuckets(7);
    ASSERT_TRUE(info.ReadInSentInfo(dir.file("SentInfo.dat")));
    uint32_t doc = 9, tag = 9, line = 9;
    ASSERT_TRUE(info.GetSentInfo(512, doc, tag, line));
    EXPECT_EQ(0u, doc);
    EXPECT_EQ(0u, line);
    std::string tagText;
    ASSERT_TRUE(info.GetSentPosInfo(static_cast<int32_t>(tag), tagText));
    EXPECT_EQ("NP", tagText);
}

TEST(DocumentTable, FinalStageFailsWithoutIdentifiersOrWhenTableCannotBeWritten) {
    TempDir dir;
    WriteFile(dir.file("Org.txt"), "#0\t1\nT:Doc_0\nEx:\n");
    WriteFile(dir.file("SentInfo.txt"), "0\t0\tNP\n");

    qav::CIdxInfoBlock block{{dir.file("Info/Corpus.ID"), dir.file("Org.txt"), dir.file("Org.dat")}};
    testing::internal::CaptureStdout();
    qav::WriteOrgThread(&block);
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("Error open "));
    EXPECT_EQ(0, block.result);
    EXPECT_TRUE(ReadFile(dir.file("Org.dat")).empty());

    ASSERT_TRUE(std::filesystem::create_directories(dir.file("Info")));
    WriteFile(dir.file("Info/Corpus.ID"), "512\t0\n");
    qav::CIdxInfoBlock unwritable{{dir.file("Info/Corpus.ID"), dir.file("Org.txt"), dir.file("no/such/Org.dat")}};
    testing::internal::CaptureStdout();
    qav::WriteOrgThread(&unwritable);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(0, unwritable.result);

    // The whole stage reports the failed table even though sentences succeeded.
    ASSERT_TRUE(std::filesystem::create_directories(dir.file("Org.dat")));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(qav::IdxSentInfoAndWriteOrg(dir.path()));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("Error: Write Org Info failed\n"));
}

TEST(DocumentTable, EndLinesMapToKeysAndLinesPastTheTableGetTheLargestKey) {
    TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directories(dir.file("Info")));
    // Lines 0 and 1 are identified; line 2 is one past them, line 7 far past.
    WriteFile(dir.file("Info/Corpus.ID"), "512\t0\n520\t1\n");
    std::vector<uint64_t> table;
    int64_t n = -1;
    ASSERT_TRUE(qav::ReadID2Offset(dir.file("Info/Corpus.ID"), table, n));
    EXPECT_EQ(2, n);
    EXPECT_EQ((std::vector<uint64_t>{512, 520, kLargest}), table);

    WriteFile(dir.file("Org.txt"), "#0\t1\nT:A\nEx:\n#1\t2\nT:B\nEx:\n#2\t7\nT:C\nEx:\n");
    ASSERT_TRUE(qav::WriteOrgInfo(dir.file("Info/Corpus.ID"), dir.file("Org.txt"), dir.file("Org.dat")));
    qav::COrgInfo org;
    ASSERT_TRUE(org.OrgInfoInit(dir.file("Org.dat")));
    EXPECT_EQ((std::vector<uint64_t>{0, 520, kLargest, kLargest}), org.Keys());
}

TEST(DocumentTable, GetLimitFindsTheDocumentOfAKey) {
    TempDir dir;
    WriteOrgDat(dir, {{1, "Doc_1"}, {2, "Doc_2"}, {3, "Doc_3"}}, {0, 100, 200});
    qav::COrgInfo org;
    ASSERT_TRUE(org.OrgInfoInit(dir.file("Org.dat")));
    ASSERT_EQ((std::vector<uint64_t>{0, 100, 200, kLargest}), org.Keys());

    struct Case {
        uint64_t key;
        const char* name;
        uint64_t first, last;
    } cases[] = {
        {150, "Doc_2", 100, 199},       {0, "Doc_1", 0, 99},        {1, "Doc_1", 0, 99},
        {99, "Doc_1", 0, 99},           {100, "Doc_2", 100, 199},   {199, "Doc_2", 100, 199},
        {200, "Doc_3", 200, kLargest - 1}, {uint64_t{5} << 32, "Doc_3", 200, kLargest - 1},
    };
    for (const Case& c : cases) {
        std::string name;
        uint64_t first = 0, last = 0;
        ASSERT_TRUE(org.GetLimit(c.key, name, first, last)) << c.key;
        EXPECT_EQ(c.name, name) << c.key;
        EXPECT_EQ(c.first, first) << c.key;
        EXPECT_EQ(c.last, last) << c.key;
    }
    const uint64_t keys[] = {0, 100, 200, kLargest};
    EXPECT_EQ(2, qav::COrgInfo::RetNo(150, keys, 0, 3, true));
    EXPECT_EQ(2, qav::COrgInfo::RetNo(150, keys, 0, 3, false));
    EXPECT_EQ(1, qav::COrgInfo::RetNo(100, keys, 0, 3, false));
    EXPECT_EQ(1, qav::COrgInfo::RetNo(0, keys, 0, 3, true));
    EXPECT_EQ(-1, qav::COrgInfo::RetNo(150, keys, -1, 3, true));
}

TEST(DocumentTable, UnnamedDocumentsAndEmptyOrDamagedTablesGiveNoDocument) {
    TempDir dir;
    WriteOrgDat(dir, {{1, "Doc_1"}, {2, ""}}, {0, 100});
    // A document without a name stores length 0 and no bytes.
    EXPECT_EQ(4u + 16u + 4u + 5u + 4u, ReadFile(dir.file("Org.dat")).size());
    qav::COrgInfo org;
    ASSERT_TRUE(org.OrgInfoInit(dir.file("Org.dat")));
    std::string name;
    uint64_t first, last;
    EXPECT_TRUE(org.GetLimit(50, name, first, last));
    EXPECT_FALSE(org.GetLimit(150, name, first, last));

    const std::string good = ReadFile(dir.file("Org.dat"));
    const std::string damaged[] = {
        good.substr(0, good.size() - 1),                    // last name cut short
        good.substr(0, 10),                                 // keys cut short
        Bytes({0xFF, 0xFF, 0xFF, 0x7F}) + good.substr(4),   // count beyond the file
    };
    for (const std::string& bytes : damaged) {
        WriteFile(dir.file("Bad.dat"), bytes);
        qav::COrgInfo bad;
        EXPECT_FALSE(bad.OrgInfoInit(dir.file("Bad.dat")));
        EXPECT_EQ(0, bad.EntryCount());
        EXPECT_FALSE(bad.GetLimit(50, name, first, last));
    }
    qav::COrgInfo missing;
    EXPECT_FALSE(missing.OrgInfoInit(dir.file("None.dat")));
}

TEST(DocumentTable, OlderPipelineRecordsStartKeysOfEachNewDocument) {
    TempDir dir;
    WriteFile(dir.file("Org.txt"), "#0\t2\nT:A\nEx:\n#2\t3\nT:B\nEx:\n");
    qav::COrgInfo shared;
    ASSERT_TRUE(shared.ReadOrg(dir.file("Org.txt")));
    qav::COrgInfo group;
    group.SetInfo(shared);
    int64_t state = 0;
    std::string name;
    group.LineNo2Offset(0, state, 512, 1, name);
    EXPECT_EQ("A", name);
    group.LineNo2Offset(1, state, 520, 1, name);
    EXPECT_EQ("A", name);
    group.LineNo2Offset(2, state, 530, 1, name);
    EXPECT_EQ("B", name);
    // Lines past the last document belong to none and end the table.
    group.LineNo2Offset(3, state, 540, 1, name);
    EXPECT_EQ("", name);
    group.LineNo2Offset(4, state, 550, 1, name);
    EXPECT_EQ((std::vector<uint64_t>{0, (uint64_t{1} << 32) | 530, (uint64_t{1} << 32) | 540}), group.Keys());
    EXPECT_EQ((std::vector<std::string>{"A", "B", ""}), group.Names());

    testing::internal::CaptureStdout();
    EXPECT_FALSE(shared.ReadOrg(dir.file("None.txt")));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("Warning not open "));
}

TEST(SentenceInfo, BuildMapsLinesToDocumentsAndTags) {
    TempDir dir;
    WriteFile(dir.file("SentInfo.txt"),
              "12 \t3  NP\n"   // blanks and tabs between the fields
              "13\t3\tVP\n"
              "13\t4\tNP\n"    // same line again: the later one holds
              "14\t4\n"        // no tag: skipped
              "x\t1\tNP\n");   // no number: skipped
    qav::CHashTableInfo builder;
    qav::SentInfoMap map;
    qav::TagMap tags;
    ASSERT_TRUE(builder.ReadInIDInfo(dir.file("SentInfo.txt"), map, tags));
    EXPECT_EQ((qav::TagMap{{"NP", 0}, {"VP", 1}}), tags);
    EXPECT_EQ((qav::SentInfoMap{{12, (uint64_t{3} << 32) | 0}, {13, (uint64_t{4} << 32) | 0}}), map);

    WriteFile(dir.file("Corpus.ID"), "512\t12\n530\t13\n540\t14\n4294967808\t12\n");
    ASSERT_TRUE(builder.WriteIdx(dir.file("Corpus.ID"), map, tags, dir.file("SentInfo.dat")));
    // Tags in byte order, then three records (line 14 has none).
    EXPECT_EQ(4u + (4 + 2 + 4) * 2 + 4u + 3 * 20u, ReadFile(dir.file("SentInfo.dat")).size());
    // The same three identifier lines are counted by the diagnostic.
    EXPECT_EQ(3, qav::GetLineNum(dir.file("Corpus.ID"), map));
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, qav::GetLineNum(dir.file("None.ID"), map));
    testing::internal::GetCapturedStdout();

    qav::CHashTableInfo info;
    info.MakeBuckets(3);  // few buckets: chains hold several keys
    ASSERT_TRUE(info.ReadInSentInfo(dir.file("SentInfo.dat")));
    ASSERT_EQ(3u, info.RecordCount());
    for (uint32_t i = 0; i < info.RecordCount(); ++i) {
        uint32_t high, low, line;
        ASSERT_TRUE(info.GetSentInfo(info.Record(i).key, high, low, line));
        EXPECT_EQ(info.Record(i).line, line);
    }
    uint32_t doc, tag;
    ASSERT_TRUE(info.GetSentInfo(530, doc, tag));
    EXPECT_EQ(4u, doc);
    EXPECT_EQ(0u, tag);
    ASSERT_TRUE(info.GetSentInfo((uint64_t{1} << 32) | 512, doc, tag));
    EXPECT_EQ(3u, doc);
    EXPECT_FALSE(info.GetSentInfo(540, doc, tag));
    std::string text;
    EXPECT_TRUE(info.GetSentPosInfo(1, text));
    EXPECT_EQ("VP", text);
    EXPECT_FALSE(info.GetSentPosInfo(2, text));
    EXPECT_FALSE(info.GetSentPosInfo(-1, text));

    qav::CHashTableInfo none;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(none.CreateIdx(dir.file("Corpus.ID"), dir.file("None.txt"), dir.file("Other.dat")));
    EXPECT_EQ("Error open " + dir.file("None.txt") + "\n", testing::internal::GetCapturedStdout());
    EXPECT_TRUE(ReadFile(dir.file("Other.dat")).empty());
}

TEST(SentenceInfo, DamagedFileLoadsNothing) {
    TempDir dir;
    const std::string tag = Bytes({1, 0, 0, 0, 2, 0, 0, 0}) + "NP";
    const std::string record = Bytes({0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::string cases[] = {
        tag + Bytes({1, 0, 0, 0}) + Bytes({1, 0, 0, 0}) + record,           // tag id 1 of 1 tag
        tag + Bytes({0, 0, 0, 0}) + Bytes({2, 0, 0, 0}) + record,           // 2 records, 1 present
        Bytes({1, 0, 0, 0, 0, 8, 0, 0}) + "NP" + Bytes({0, 0, 0, 0}),       // tag longer than 2,047
        Bytes({0xFF, 0xFF, 0xFF, 0xFF}),                                    // negative tag count
    };
    for (const std::string& bytes : cases) {
        WriteFile(dir.file("SentInfo.dat"), bytes);
        qav::CHashTableInfo info;
        info.MakeBuckets(5);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(info.ReadInSentInfo(dir.file("SentInfo.dat")));
        EXPECT_EQ("Warning: open " + dir.file("SentInfo.dat") + " fail!\n",
                  testing::internal::GetCapturedStdout());
        uint32_t doc, tagId;
        EXPECT_FALSE(info.GetSentInfo(512, doc, tagId));
        EXPECT_EQ(0, info.TagCount());
    }
    // The same bytes with a valid tag id load.
    WriteFile(dir.file("SentInfo.dat"), tag + Bytes({0, 0, 0, 0}) + Bytes({1, 0, 0, 0}) + record);
    qav::CHashTableInfo info;
    info.MakeBuckets(5);
    EXPECT_TRUE(info.ReadInSentInfo(dir.file("SentInfo.dat")));
}

TEST(DocumentInfo, ItemsComeBackInKeyOrder) {
    TempDir dir;
    WriteFile(dir.file("DocInfo.txt"), "#0\nb=2\na=1\nnoequals\n#1\n#2\nc=x=y\nc=3\n");
    qav::CHashTableInfo info;
    ASSERT_TRUE(info.ReadInDocInfo(dir.file("DocInfo.txt")));
    ASSERT_EQ(3u, info.DocCount());
    std::string text;
    ASSERT_TRUE(info.GetDocTagInfo(0, text));
    EXPECT_EQ("a=1;b=2;", text);
    ASSERT_TRUE(info.GetDocTagInfo(1, text));
    EXPECT_EQ("", text);
    ASSERT_TRUE(info.GetOrgTagInfo(2, text, "c"));
    EXPECT_EQ("3", text);
    ASSERT_TRUE(info.GetOrgTagInfo(0, text, "c"));
    EXPECT_EQ("", text);
    EXPECT_FALSE(info.GetDocTagInfo(3, text));
    EXPECT_FALSE(info.GetOrgTagInfo(-1, text, "a"));
}

TEST(DocumentInfo, MalformedHeaderStopsReadingAndKeepsEarlierDocuments) {
    TempDir dir;
    struct Case {
        const char* text;
        size_t documents;
    } cases[] = {
        // The document being collected when the bad header comes is dropped.
        {"#1\na=1\n", 0},
        {"#0\na=1\n#0\nb=2\n", 0},
        {"#0\na=1\n#1x\nb=2\n", 0},
        {"#0\na=1\n#1\nb=2\n#\n", 1},
        {"#0\n#1\n#3\n", 1},
    };
    for (const Case& c : cases) {
        WriteFile(dir.file("DocInfo.txt"), c.text);
        qav::CHashTableInfo info;
        testing::internal::CaptureStdout();
        info.ReadInDocInfo(dir.file("DocInfo.txt"));
        EXPECT_EQ("Error DocInfo Format\n", testing::internal::GetCapturedStdout()) << c.text;
        EXPECT_EQ(c.documents, info.DocCount()) << c.text;
    }
    qav::CHashTableInfo missing;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(missing.ReadInDocInfo(dir.file("None.txt")));
    EXPECT_EQ("Error open " + dir.file("None.txt") + " !\n", testing::internal::GetCapturedStdout());
}

TEST(SentenceInfo, KeyHashIsWangsSixtyFourBitMix) {
    // Reference values worked out with arbitrary-precision integers.
    struct Case {
        uint64_t key, hash;
    } cases[] = {
        {0, 0xf7e009772aeaa2abULL},
        {512, 0x2aa2b504dbULL},
        {(uint64_t{1} << 32) | 512, 0x15515affa037ae85ULL},
        {kLargest, 0xf7e009771fbbf8eaULL},
    };
    for (const Case& c : cases) EXPECT_EQ(c.hash, qav::SentKeyHash(c.key)) << c.key;
}

}  // namespace

namespace {

TEST(DocumentTable, RewriteKeepsEndLinesAndTheExportListsEveryEntry) {
    TempDir dir;
    WriteFile(dir.file("Org.txt"), "#0\t3\nT:A\nEx:\n#3\t7\nT:\nEx:\n");
    qav::COrgInfo builder;
    ASSERT_TRUE(builder.RewriteOrg(dir.file("Org.txt"), dir.file("Org.dat")));

    qav::COrgInfo exporter;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(exporter.OutOrg(dir.file("Org.dat"), dir.file("Org_out.txt")));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("Exported information successfully!\n"));
    // The loaded table: key 0 first, the end line numbers, an empty last name.
    EXPECT_EQ("#0\t0\nI:A\n#1\t3\nI:\n#2\t7\nI:\n", ReadFile(dir.file("Org_out.txt")));

    WriteOrgDat(dir, {{1, "Doc_0"}}, {512});
    ASSERT_TRUE(exporter.PrintOrgInfo(dir.file("Org.dat"), dir.file("Org_out.txt")));
    EXPECT_EQ("#0\t0\nI:Doc_0\n#1\t18446744073709551615\nI:\n", ReadFile(dir.file("Org_out.txt")));

    EXPECT_FALSE(builder.RewriteOrg(dir.file("missing.txt"), dir.file("Org2.dat")));
    EXPECT_FALSE(exporter.PrintOrgInfo(dir.file("missing.dat"), dir.file("Org_out.txt")));
    EXPECT_FALSE(exporter.PrintOrgInfo(dir.file("Org.dat"), dir.file("no/such/folder.txt")));
}

TEST(SentenceInfo, IdentifierLinesSplitAtTheirTab) {
    struct Case {
        const char* text;
        bool ok;
        int64_t key;
        int64_t line;
    };
    const Case cases[] = {
        {"512\t12", true, 512, 12},
        {"4294967808\t0\n", true, 4294967808, 0},
        {"\t7", true, 0, 7},
        {"512 12", false, -1, -1},
        {"", false, -1, -1},
    };
    for (const Case& c : cases) {
        int64_t key = -1, line = -1;
        EXPECT_EQ(c.ok, qav::GetLineInfoEx(c.text, key, line)) << c.text;
        EXPECT_EQ(c.key, key) << c.text;
        EXPECT_EQ(c.line, line) << c.text;
    }
}

}  // namespace
