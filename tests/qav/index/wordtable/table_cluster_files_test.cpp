#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "qav/index/wordtable/table_cluster.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;

// Writes word table files; the library itself has no writer.
struct TableFixture {
    std::string name;
    uint32_t entries = 0;                    // length array size
    std::map<int, uint16_t> end, start;      // non-zero entries by Han index
    std::vector<qav::CTableItem> items;           // in ascending key order
};

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutLengths(std::string& out, uint32_t entries, const std::map<int, uint16_t>& set) {
    for (uint32_t i = 0; i < entries; ++i) {
        auto it = set.find(static_cast<int>(i));
        PutU16(out, it == set.end() ? 0 : it->second);
    }
}

std::string Block(const TableFixture& table) {
    std::string out;
    PutU32(out, table.entries);
    PutLengths(out, table.entries, table.end);
    PutLengths(out, table.entries, table.start);
    PutU32(out, static_cast<uint32_t>(table.items.size()));
    for (const qav::CTableItem& item : table.items) {
        PutU32(out, static_cast<uint32_t>(item.key.size()));
        out += item.key;
        PutU32(out, static_cast<uint32_t>(item.value.size()));
        out += item.value;
        PutU32(out, item.number);
    }
    return out;
}

struct TableFiles {
    std::string idx, dat;

    void Add(const std::string& name, const std::string& block) {
        PutU32(idx, static_cast<uint32_t>(name.size()));
        idx += name;
        PutU32(idx, static_cast<uint32_t>(dat.size()));
        PutU32(idx, static_cast<uint32_t>(block.size()));
        dat += block;
    }
};

int Han(const char* utf8) { return qav::GetHZNo(Gbk(utf8)); }

// 中国 and 中国人 with values and numbers; the arrays stop after 中, so later
// Han characters read as 0.
TableFixture ChinaTable() {
    TableFixture t;
    t.name = Gbk("国家");
    t.entries = static_cast<uint32_t>(Han("中") + 1);
    t.start = {{Han("中"), 3}, {Han("国"), 3 << 8}};
    t.end = {{Han("人"), 3}, {Han("国"), (3 << 8) | 2}, {Han("中"), 2 << 8}};
    t.items = {{Gbk("中国"), "China", 5}, {Gbk("中国人"), "Chinese", 6}};
    return t;
}

TableFixture XyTable() {
    TableFixture t;
    t.name = "xy";
    t.items = {{"x", "", 9}, {"y", "why", 10}};
    return t;
}

TableFiles GoodFiles() {
    TableFiles files;
    files.Add(ChinaTable().name, Block(ChinaTable()));
    files.Add("", "");  // skipped
    files.Add(XyTable().name, Block(XyTable()));
    return files;
}

bool Load(qav::CTableCluster& cluster, const TableFiles& files, std::string* printed = nullptr) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("t.idx"), files.idx);
    qztest::WriteFile(dir.file("t.dat"), files.dat);
    testing::internal::CaptureStdout();
    bool ok = cluster.TableClusterInit(dir.file("t.idx").c_str(), dir.file("t.dat").c_str());
    std::string out = testing::internal::GetCapturedStdout();
    if (printed) *printed = out;
    return ok;
}

TEST(TableClusterFiles, LoadedTablesAnswerEveryTest) {
    qav::CTableCluster cluster;
    ASSERT_TRUE(Load(cluster, GoodFiles()));
    const std::string china = Gbk("国家");
    EXPECT_TRUE(cluster.IsStrBegin(Gbk("中国人民"), china.c_str()));
    EXPECT_TRUE(cluster.IsStrEnd(Gbk("在中国"), china.c_str()));
    EXPECT_TRUE(cluster.IsStrEnd(Gbk("我们中国人"), china.c_str()));
    EXPECT_TRUE(cluster.IsStrMid(Gbk("齄中国"), china.c_str()));
    EXPECT_FALSE(cluster.IsStrMid(Gbk("中华"), china.c_str()));

    std::string value;
    uint32_t number = 0;
    ASSERT_TRUE(cluster.IsStrEqual(Gbk("中国人"), china.c_str(), value, number));
    EXPECT_EQ(value, "Chinese");
    EXPECT_EQ(number, 6u);
    ASSERT_TRUE(cluster.IsStrEqual("y", "xy", value, number));
    EXPECT_EQ(value, "why");
    EXPECT_EQ(number, 10u);

    std::string keys;
    ASSERT_TRUE(cluster.GetTable("xy", keys));
    EXPECT_EQ(keys, "x|y|");
    EXPECT_FALSE(cluster.GetTable("", keys));
}

TEST(TableClusterFiles, MissingFileIsRefused) {
    qztest::TempDir dir;
    TableFiles files = GoodFiles();
    qztest::WriteFile(dir.file("t.idx"), files.idx);
    qav::CTableCluster cluster;
    EXPECT_FALSE(cluster.TableClusterInit(dir.file("t.idx").c_str(), dir.file("none.dat").c_str()));
    EXPECT_FALSE(cluster.TableClusterInit(dir.file("none.idx").c_str(), dir.file("t.idx").c_str()));
}

// Damage to the second table's record or block: the load fails with a
// message, and the first table stays usable.
TEST(TableClusterFiles, DamagedFilesAreRefusedCleanly) {
    auto with_second = [](const std::string& name, const std::string& block) {
        TableFiles files;
        files.Add(ChinaTable().name, Block(ChinaTable()));
        files.Add(name, block);
        return files;
    };
    std::string xy = Block(XyTable());
    auto patched = [&](size_t at, uint32_t v) {
        std::string block = xy;
        std::string bytes;
        PutU32(bytes, v);
        block.replace(at, 4, bytes);
        return block;
    };
    TableFixture long_key = XyTable();
    long_key.items[1].key = "y" + std::string(2047, 'y');
    TableFixture longest_key = XyTable();
    longest_key.items[1].key = "y" + std::string(2046, 'y');

    struct Case {
        const char* what;
        TableFiles files;
        bool loads;
    };
    std::vector<Case> cases = {
        {"good", with_second("xy", xy), true},
        {"key of 2,047 bytes", with_second("xy", Block(longest_key)), true},
        {"key of 2,048 bytes", with_second("xy", Block(long_key)), false},
        {"entry count past the block", with_second("xy", patched(0, 0x7FFFFFFF)), false},
        {"item count past the block", with_second("xy", patched(4, 0xFFFFFFFF)), false},
        {"key length past the block", with_second("xy", patched(8, 1000)), false},
        {"block cut inside an item", with_second("xy", xy.substr(0, xy.size() - 3)), false},
        {"empty block", with_second("xy", ""), false},
    };
    TableFiles cut_index = with_second("xy", xy);
    cut_index.idx.resize(cut_index.idx.size() - 3);
    cases.push_back({"index record cut short", cut_index, false});
    TableFiles long_name = with_second("xy", xy);
    long_name.idx.replace(long_name.idx.size() - 14, 4, std::string("\xF0\xFF\xFF\xFF", 4));
    cases.push_back({"name length past the index", long_name, false});
    TableFiles cut_data = with_second("xy", xy);
    cut_data.dat.resize(cut_data.dat.size() - 1);
    cases.push_back({"data file cut short", cut_data, false});
    TableFiles far_offset = with_second("xy", xy);
    far_offset.idx.replace(far_offset.idx.size() - 8, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    cases.push_back({"offset past the data file", far_offset, false});

    for (const Case& c : cases) {
        qav::CTableCluster cluster;
        std::string printed;
        EXPECT_EQ(Load(cluster, c.files, &printed), c.loads) << c.what;
        EXPECT_EQ(printed.rfind("Error: word table ", 0) == 0, !c.loads) << c.what << ": " << printed;
        EXPECT_TRUE(cluster.IsStrBegin(Gbk("中国人民"), Gbk("国家").c_str())) << c.what;
        std::string value;
        uint32_t number = 0;
        EXPECT_EQ(cluster.IsStrEqual("x", "xy", value, number), c.loads) << c.what;
    }
}

}  // namespace
