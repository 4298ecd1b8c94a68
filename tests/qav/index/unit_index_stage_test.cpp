// The final unit index: units with the records written for them, chunk
// units, and complex units over both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qav/index/add_word.h"
#include "qav/index/complex_units.h"
#include "qav/index/unit_index_stage.h"
#include "support/test_support.h"

namespace {

using qztest::Gbk;
using qztest::ReadFile;
using qztest::TempDir;

TEST(ComplexUnits, EachUnitFormGivesItsTwoKeys) {
    struct Case {
        const char* unit;
        int type;
        std::vector<std::string> keys;
    };
    // Units of the sentence "我/r 爱/v 上海/ns" and a constituent unit.
    const Case cases[] = {
        {"我_v|", 3, {"v|", "我>"}},
        {" _r|", 3, {"r|", " >"}},
        {"|v_上", 4, {"|v", "<上"}},
        {"|_我", 4, {"|", "<我"}},
        {"$NP_海", 5, {"$NP", "海@"}},
        // Without "_" the whole text is the first part.
        {"ab|", 3, {"", "ab|>"}},
        {"|ab", 4, {"|ab", "<"}},
        {"a_b", 7, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> keys;
        for (const std::string& key : c.keys) keys.push_back(Gbk(key));
        EXPECT_EQ(keys, ComplexKeys(Gbk(c.unit), c.type)) << c.unit;
    }
    // A character whose second byte is 0x5F is not split.
    const std::string odd = "\x81\x5F";
    EXPECT_EQ((std::vector<std::string>{"v|", odd + ">"}), ComplexKeys(odd + "_v|", 3));
    EXPECT_EQ((std::vector<std::string>{"|v", "<" + odd}), ComplexKeys("|v_" + odd, 4));
}

struct Unit {
    const char* text;
    int type;
    int counted;
    uint32_t written;
    int64_t offset;
};

class UnitIndexStage : public testing::Test {
protected:
    void AddUnit(const Unit& u) {
        CWord word;
        word.text = Gbk(u.text);
        word.type = u.type;
        word.count = u.counted;
        word.offset = u.offset;
        units_.words.push_back(word);
        AddWord(merged_, word.text, u.written, u.type);
    }
    void AddChunk(const char* text, int type, int count, int64_t offset) {
        CWord chunk;
        chunk.text = Gbk(text);
        chunk.type = type;
        chunk.count = count;
        chunk.offset = offset;
        chunk.file_no = 1;
        chunks_.words.push_back(chunk);
    }
    bool Write(int32_t minCount) {
        return WriteUnitIndexStage(dir_.file("Unit.dat"), dir_.file("Unit.dat"), units_, merged_, chunks_, minCount);
    }
    UnitIndex Read() {
        UnitIndex index;
        EXPECT_TRUE(ReadUnitIndexFile(dir_.file("Unit.dat"), &index));
        return index;
    }
    // Complex keys and their lists, as readable text.
    std::vector<std::string> Complex(const UnitIndex& index) {
        std::vector<std::string> lines;
        for (const ComplexUnitEntry& entry : index.complex_units) {
            std::string line = qztest::Utf8(entry.key) + ":";
            for (const std::string& child : entry.children) line += " " + qztest::Utf8(child);
            lines.push_back(line);
        }
        return lines;
    }

    TempDir dir_;
    CWordList units_;
    CWordList chunks_;
    CHashTable merged_{1024};
};

TEST_F(UnitIndexStage, ListsUnitsThenChunksAndReplacesChunkedUnitsInComplexKeys) {
    AddUnit({"|v_上", 4, 9, 9, 0});
    AddUnit({"我_v|", 3, 7, 6, 72});  // one occurrence not met again
    AddUnit({"|v_爱", 4, 6, 6, 128});
    AddUnit({"$NP_海", 5, 5, 5, 176});
    AddUnit({"爱_ns|", 3, 2, 2, 221});
    AddChunk("|v_上_0", 4, 3, 0);
    AddChunk("|v_上_1", 4, 3, 24);
    AddChunk("|v_上_2", 4, 3, 48);
    ASSERT_TRUE(Write(5));

    const UnitIndex index = Read();
    struct Entry {
        const char* name;
        int64_t offset;
        int32_t count;
        int32_t type;
        uint8_t file;
    };
    const Entry entries[] = {{"|v_上", 0, 9, 4, 0},      {"我_v|", 72, 6, 3, 0},    {"|v_爱", 128, 6, 4, 0},
                             {"$NP_海", 176, 5, 5, 0},    {"爱_ns|", 221, 2, 3, 0},  {"|v_上_0", 0, 3, 4, 1},
                             {"|v_上_1", 24, 3, 4, 1},    {"|v_上_2", 48, 3, 4, 1}};
    ASSERT_EQ(std::size(entries), index.units.size());
    for (size_t i = 0; i < index.units.size(); ++i) {
        const UnitIndexEntry& got = index.units[i];
        EXPECT_EQ(Gbk(entries[i].name), got.name) << i;
        EXPECT_EQ(entries[i].offset, got.offset) << i;
        EXPECT_EQ(entries[i].count, got.count) << i;
        EXPECT_EQ(entries[i].type, got.type) << i;
        EXPECT_EQ(entries[i].file, got.file_no) << i;
    }
    // Units counted 5 times or fewer join no complex key; keys in GBK byte order.
    const std::vector<std::string> complex = {
        "<爱: |v_爱",
        "<上: |v_上_0 |v_上_1 |v_上_2",
        "v|: 我_v|",
        "|v: |v_上_0 |v_上_1 |v_上_2 |v_爱",
        "|v_上: |v_上_0 |v_上_1 |v_上_2",
        "我>: 我_v|",
    };
    EXPECT_EQ(complex, Complex(index));
    EXPECT_EQ(Gbk("|v_上\t9\n我_v|\t6\n|v_爱\t6\n$NP_海\t5\n爱_ns|\t2\n|v_上_0\t3\n|v_上_1\t3\n|v_上_2\t3\n"),
              ReadFile(dir_.file("Unit.dat_txt")));
}

TEST_F(UnitIndexStage, ThresholdZeroTakesEveryCountedUnit) {
    AddUnit({"$NP_海", 5, 2, 2, 0});
    AddUnit({"|v_上", 4, 1, 0, 18});  // counted, never written
    ASSERT_TRUE(Write(0));
    const UnitIndex index = Read();
    ASSERT_EQ(2u, index.units.size());
    EXPECT_EQ(0, index.units[1].count);
    EXPECT_EQ((std::vector<std::string>{"$NP: $NP_海", "<上: |v_上", "|v: |v_上", "海@: $NP_海"}), Complex(index));
}

TEST_F(UnitIndexStage, WritesAnEmptyComplexSectionAndFailsWithoutItsFiles) {
    AddUnit({"我_v|", 3, 1, 1, 0});
    ASSERT_TRUE(Write(1));
    EXPECT_TRUE(Read().complex_units.empty());
    const std::string bytes = ReadFile(dir_.file("Unit.dat"));
    EXPECT_EQ(std::string(4, '\0'), bytes.substr(bytes.size() - 4));

    EXPECT_FALSE(WriteUnitIndexStage(dir_.file("missing/Unit.dat"), dir_.file("Unit2"), units_, merged_, chunks_, 0));
    EXPECT_FALSE(WriteUnitIndexStage(dir_.file("Unit3.dat"), dir_.file("missing/Unit3"), units_, merged_, chunks_, 0));
}

}  // namespace
