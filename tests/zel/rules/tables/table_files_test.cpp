// Word tables written from a text source and read back from the file pair.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/test_support.h"
#include "zel/rules/format/table_format.h"
#include "zel/rules/tables/table_functions.h"

namespace zel {
namespace {

using qztest::Gbk;

std::string Hex(const std::string& bytes) {
    std::string out;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", c);
        out += digits;
    }
    return out;
}

// A source file in dir, built into dir's "Ttable" pair by a fresh cluster
// that is torn down afterwards, as the build driver does.
bool BuildTables(const qztest::TempDir& dir, const std::string& utf8Source, const char* file = "src.txt") {
    qztest::WriteFile(dir.file(file), Gbk(utf8Source));
    std::string idx, dat;
    TableFilePaths(dir.path(), "T", idx, dat);
    TableClusterPrepare();
    TableClusterInitEx(idx.c_str(), dat.c_str());
    bool ok = TableClusterIdx(dir.file(file).c_str());
    TableClusterExit();
    return ok;
}

void LoadTables(const qztest::TempDir& dir) { ASSERT_TRUE(GlobalInit_Coll({"T"}, dir.path().c_str())); }

class TableFiles : public ::testing::Test {
protected:
    void TearDown() override { TableClusterExit(); }
    qztest::TempDir dir;
};

const char* kSource =
    ".T1\n"
    "中国 POS=n Freq=3\n"
    "abc POS=x\n"
    "#Global Dom=geo\n"
    "POS=v Role=pred\n";

TEST_F(TableFiles, WritesTheRecordsAndBlobsOfTheSource) {
    ASSERT_TRUE(BuildTables(dir, kSource));
    std::vector<TableIndexRecord> records;
    ASSERT_TRUE(DecodeTableIndex(qztest::ReadFile(dir.file("Ttable.idx")), records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "T1");
    EXPECT_EQ(records[1].name, "KV-T1");
    std::string dat = qztest::ReadFile(dir.file("Ttable.dat"));
    EXPECT_EQ(records[0].offset, 0);
    EXPECT_EQ(records[1].offset, records[0].size);
    EXPECT_EQ(static_cast<size_t>(records[1].offset + records[1].size), dat.size());

    TableBlob blob;
    ASSERT_TRUE(DecodeTableBlob(dat.data(), static_cast<size_t>(records[0].size), blob));
    EXPECT_EQ(blob.endLengths.size(), 1u);
    EXPECT_EQ(blob.filter.size(), 41u);
    ASSERT_EQ(blob.items.size(), 4u);
    EXPECT_EQ(blob.items[0].key, "#Global");
    EXPECT_EQ(blob.items[1].key, "POS=v");
    EXPECT_EQ(Hex(blob.items[2].key), "A3E1A3E2A3E3");
    EXPECT_EQ(blob.items[3].key, Gbk("中国"));
    EXPECT_EQ(blob.items[3].value, "POS=n Freq=3");
    ASSERT_EQ(blob.itemKVs.size(), 1u);
    EXPECT_EQ(blob.itemKVs[0].key, "POS=v");
    EXPECT_EQ(blob.itemKVs[0].value, "Role=pred");
    EXPECT_EQ(blob.firstChars.size(), kCharSetBytes);

    TableKVBlob kv;
    ASSERT_TRUE(DecodeTableKVBlob(dat.data() + records[1].offset, static_cast<size_t>(records[1].size), kv));
    std::vector<std::pair<std::string, int32_t>> pairs = {
        {"Dom=geo", 0}, {"Freq=3", 2}, {"POS=n", 4}, {"POS=x", 6}, {"Role=pred", 8}};
    EXPECT_EQ(kv.pairs, pairs);
    EXPECT_EQ(kv.postings, (std::vector<uint32_t>{1, 0, 1, 3, 1, 3, 1, 2, 1, 1}));
}

}  // namespace
}  // namespace zel
