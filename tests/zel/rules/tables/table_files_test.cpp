// Word tables written from a text source and read back from the file pair.
#include <gtest/gtest.h>

#include <cstdio>

#include "table_support.h"

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

TEST_F(TableFiles, ReloadedTableAnswersLookupsInBothWidths) {
    ASSERT_TRUE(BuildTables(dir, kSource));
    ASSERT_TRUE(LoadTables(dir));
    CTable* table = Table("T1");
    ASSERT_NE(table, nullptr);
    CTableItem* item = nullptr;
    ASSERT_TRUE(table->Lookup("abc", item));
    EXPECT_EQ(item->value, "POS=x");
    ASSERT_NE(item->Attributes(), nullptr);
    EXPECT_TRUE(item->Attributes()->find("POS", "x"));
    EXPECT_EQ(item->Attributes(), item->Attributes());
    EXPECT_TRUE(table->Lookup(Gbk("ａｂｃ").c_str(), item));
    EXPECT_TRUE(table->Lookup("#Global", item));
    EXPECT_EQ(item->value, "Dom=geo");
    EXPECT_TRUE(table->Lookup(Gbk("中国").c_str(), item));
    EXPECT_FALSE(table->Lookup("ABC", item));
    EXPECT_FALSE(table->Lookup(Gbk("中").c_str(), item));
    EXPECT_TRUE(table->HasItemKV());
    ASSERT_EQ(table->itemKVs().size(), 1u);
    EXPECT_TRUE(table->itemKVs()[0].attributes.find("Role", "pred"));
}

// Every pair of a condition must hold, in whatever order the pairs come and
// however many there are.
TEST_F(TableFiles, KeyValueConditionsIntersectEveryPair) {
    ASSERT_TRUE(BuildTables(dir, ".T1\n"
                                 "甲 POS=n Freq=3\n"
                                 "乙 POS=n Freq=4\n"
                                 "丙 POS=v Freq=3\n"
                                 "丁 POS=n Freq=3 Sem=a Dom=b Src=c Lvl=d\n"));
    ASSERT_TRUE(LoadTables(dir));
    CTableKV* index = nullptr;
    ASSERT_TRUE(TableClusterGetTable("T1", index));
    // Items in byte order: 丙 B1FB, 丁 B6A1, 甲 BCD7, 乙 D2D2.
    struct Case {
        const char* condition;
        std::vector<int> items;
    } cases[] = {
        {"POS=n", {1, 2, 3}},
        {"POS=n&Freq=3", {1, 2}},
        {"Freq=3&POS=n", {1, 2}},
        {"POS=q&Freq=3", {}},
        {"Freq=3&POS=q", {}},
        {"POS=n&Freq=3&Sem=a&Dom=b&Src=c&Lvl=d", {1}},
    };
    for (const Case& c : cases) {
        std::vector<int> items;
        int count = -1;
        EXPECT_TRUE(index->GetKV(c.condition, items, count));
        items.resize(static_cast<size_t>(count));
        EXPECT_EQ(items, c.items) << c.condition;
    }
    std::vector<int> untouched = {7, 7};
    int count = -1;
    index->GetKV("POS=q", untouched, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(untouched, (std::vector<int>{7, 7}));
}

std::string ManyItems(int n) {
    std::string source = ".Big\n";
    for (int i = 0; i < n; ++i) {
        // Two-character words from the GB2312 range, all distinct.
        unsigned char word[5] = {static_cast<unsigned char>(0xB0 + i / 94 % 40),
                                 static_cast<unsigned char>(0xA1 + i % 94), 0xB0,
                                 static_cast<unsigned char>(0xA1 + i / 3760), 0};
        source += qztest::Utf8(reinterpret_cast<char*>(word)) + "\n";
    }
    return source;
}

TEST_F(TableFiles, MoreThan1024ItemsSwitchToPerCharacterLengthTables) {
    struct Case {
        int items;
        size_t lengthTable;
        size_t filter;
    } cases[] = {{1024, 1, 10243}, {1025, 8338, 10253}};
    for (const Case& c : cases) {
        qztest::TempDir own;
        ASSERT_TRUE(BuildTables(own, ManyItems(c.items)));
        TableBlob blob;
        std::string dat = qztest::ReadFile(own.file("Ttable.dat"));
        ASSERT_TRUE(DecodeTableBlob(dat.data(), dat.size(), blob));
        EXPECT_EQ(blob.items.size(), static_cast<size_t>(c.items));
        EXPECT_EQ(blob.endLengths.size(), c.lengthTable);
        EXPECT_EQ(blob.beginLengths.size(), c.lengthTable);
        EXPECT_EQ(blob.filter.size(), c.filter);
        EXPECT_EQ(blob.longest, 2);
        if (c.lengthTable == 1) {
            EXPECT_EQ(blob.endLengths[0], 2);
        }
    }
}

TEST_F(TableFiles, LengthNibblesStopAt15) {
    std::string source = ManyItems(1025) + "一二三四五六七八九十一二三四五六\n";
    ASSERT_TRUE(BuildTables(dir, source));
    ASSERT_TRUE(LoadTables(dir));
    CTable* table = Table("Big");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->longest(), 16);
    std::string gbk = Gbk("一二三四五六七八九十一二三四五六");
    // Both nibbles at 15 mean 15 or more: the longest key bounds it.
    EXPECT_EQ(table->GetMaxLen_R(gbk.c_str()), 16);
    EXPECT_EQ(table->GetMaxLen_R(Gbk("一二").c_str()), 16);
    EXPECT_EQ(table->GetMaxLen_L(Gbk("五六").c_str()), 16);
    // Characters without an ordinal are not in the length tables; only the
    // longest key bounds words that hold them.
    EXPECT_EQ(table->GetMaxLen_R((Gbk("一") + "ab").c_str()), 16);
    EXPECT_EQ(table->GetMaxLen_L((Gbk("一") + "\x81\x40").c_str()), 16);
    EXPECT_EQ(table->GetMaxLen_R(Gbk("一").c_str()), 1);
    EXPECT_EQ(table->GetMaxLen_R(""), 0);
    CTableItem* item = nullptr;
    EXPECT_TRUE(table->Lookup(gbk.c_str(), item));
}

TEST_F(TableFiles, EmptyJsonTableHasAOneByteFilterAndNoItems) {
    ASSERT_TRUE(BuildTables(dir, R"({"Table":"E","Units":[]})", "src.json"));
    TableBlob blob;
    std::string dat = qztest::ReadFile(dir.file("Ttable.dat"));
    ASSERT_TRUE(DecodeTableBlob(dat.data(), dat.size(), blob));
    EXPECT_EQ(blob.filter, std::string(1, '\0'));
    EXPECT_TRUE(blob.items.empty());
    std::vector<TableIndexRecord> records;
    ASSERT_TRUE(DecodeTableIndex(qztest::ReadFile(dir.file("Ttable.idx")), records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].name, "KV-E");
}

TEST_F(TableFiles, ALaterTableOfTheSameNameTakesTheNameOver) {
    ASSERT_TRUE(BuildTables(dir, ".T1\n甲 A=1\n.T1\n乙 A=2\n"));
    ASSERT_TRUE(LoadTables(dir));
    std::vector<std::string> names;
    ASSERT_TRUE(TableClusterGetTables(names));
    EXPECT_EQ(names, (std::vector<std::string>{"T1", "T1"}));
    CTableItem* item = nullptr;
    EXPECT_TRUE(Table("T1")->Lookup(Gbk("乙").c_str(), item));
    EXPECT_FALSE(Table("T1")->Lookup(Gbk("甲").c_str(), item));
}

// A damaged pair is refused whole: nothing of it reaches the cluster.
TEST_F(TableFiles, DamagedPairsLoadNothing) {
    ASSERT_TRUE(BuildTables(dir, kSource));
    const std::string idx = qztest::ReadFile(dir.file("Ttable.idx"));
    const std::string dat = qztest::ReadFile(dir.file("Ttable.dat"));
    std::vector<TableIndexRecord> records;
    ASSERT_TRUE(DecodeTableIndex(idx, records));
    std::string bigCount = dat;
    // The item count of the table blob: after H, two 1-byte length tables,
    // the longest key and the 41-byte filter.
    bigCount[4 + 1 + 1 + 4 + 4 + 41] = '\x7F';
    std::string badStart = dat;
    badStart[static_cast<size_t>(records[1].offset) + 4 + 4 + 7] = '\x40';
    struct Case {
        const char* what;
        std::string idx, dat;
    } cases[] = {
        {"truncated data file", idx, dat.substr(0, dat.size() - 3)},
        {"truncated index", idx.substr(0, idx.size() - 1), dat},
        {"item count past the blob", idx, bigCount},
        {"posting start past the array", idx, badStart},
        {"name longer than 1,023 bytes", EncodeTableIndexRecord({std::string(1024, 'x'), 0, 0}), dat},
    };
    for (const Case& c : cases) {
        qztest::WriteFile(dir.file("Ttable.idx"), c.idx);
        qztest::WriteFile(dir.file("Ttable.dat"), c.dat);
        TableClusterPrepare();
        EXPECT_FALSE(TableClusterInit(dir.file("Ttable.idx").c_str(), dir.file("Ttable.dat").c_str())) << c.what;
        std::vector<std::string> names;
        TableClusterGetTables(names);
        EXPECT_TRUE(names.empty()) << c.what;
        EXPECT_EQ(Table("T1"), nullptr) << c.what;
    }
}

TEST_F(TableFiles, AMissingPairIsReportedAndPassedOver) {
    ASSERT_TRUE(BuildTables(dir, kSource));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(GlobalInit_Coll({"Missing", "T"}, dir.path().c_str()));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Warning:Error open " + dir.path() + "/Missingtable.dat or " + dir.path() +
                           "/Missingtable.idx\n");
    EXPECT_NE(Table("T1"), nullptr);
}

TEST(TableFileNames, NamesHoldingTableKeepTheirName) {
    std::string idx, dat;
    TableFilePaths("d", "MyTable", idx, dat);
    EXPECT_EQ(idx, "d/MyTabletable.idx");
    TableFilePaths("d", "words_table", idx, dat);
    EXPECT_EQ(idx, "d/words_table.idx");
    EXPECT_EQ(dat, "d/words_table.dat");
}

}  // namespace
}  // namespace zel
