// The final unit index: units with the records written for them, chunk
// units, and complex units over both.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <string>
#include <vector>

#include "build_fixture.h"
#include "qav/index/build/add_word.h"
#include "qav/index/build/complex_units.h"
#include "qav/index/build/unit_index_stage.h"
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
        // Without "_" the whole text is the first part (an empty key is none).
        {"ab|", 3, {"ab|>"}},
        {"|ab", 4, {"|ab", "<"}},
        {"a_b", 7, {}},
        // A key that would read as another kind is left out.
        {"c_|", 3, {"c>"}},   // "|" names the "|TAG" unit of the empty tag
        {"<_v|", 3, {"v|"}},  // "<>" reads as "<c"
        {"$_v|", 3, {"v|"}},  // "$>" reads as "$LABEL"
        {"|v_|", 4, {"|v"}},  // "<|" reads as "TAG|"
        {"|v_@", 4, {"|v"}},  // "<@" reads as "c@"
        {"$NP_|", 5, {"$NP"}},
        {"$NP_$", 5, {"$NP"}},
        {"|v_[", 4, {"|v", "<["}},
        {"]_v|", 3, {"v|", "]>"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> keys;
        for (const std::string& key : c.keys) keys.push_back(Gbk(key));
        EXPECT_EQ(keys, qav::ComplexKeys(Gbk(c.unit), c.type)) << c.unit;
    }
    // A character whose second byte is 0x5F is not split.
    const std::string odd = "\x81\x5F";
    EXPECT_EQ((std::vector<std::string>{"v|", odd + ">"}), qav::ComplexKeys(odd + "_v|", 3));
    EXPECT_EQ((std::vector<std::string>{"|v", "<" + odd}), qav::ComplexKeys("|v_" + odd, 4));
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
        qav::CWord word;
        word.text = Gbk(u.text);
        word.type = u.type;
        word.count = u.counted;
        word.offset = u.offset;
        units_.words.push_back(word);
        qav::AddWord(merged_, word.text, u.written, u.type);
    }
    void AddChunk(const char* text, int type, int count, int64_t offset) {
        qav::CWord chunk;
        chunk.text = Gbk(text);
        chunk.type = type;
        chunk.count = count;
        chunk.offset = offset;
        chunk.file_no = 1;
        chunks_.words.push_back(chunk);
    }
    bool Write(int32_t minCount) {
        return qav::WriteUnitIndexStage(dir_.file("Unit.dat"), dir_.file("Unit.dat"), units_, merged_, chunks_, minCount);
    }
    qav::UnitIndex Read() {
        qav::UnitIndex index;
        EXPECT_TRUE(qav::ReadUnitIndexFile(dir_.file("Unit.dat"), &index));
        return index;
    }
    // Complex keys and their lists, as readable text.
    std::vector<std::string> Complex(const qav::UnitIndex& index) {
        std::vector<std::string> lines;
        for (const qav::ComplexUnitEntry& entry : index.complex_units) {
            std::string line = qztest::Utf8(entry.key) + ":";
            for (const std::string& child : entry.children) line += " " + qztest::Utf8(child);
            lines.push_back(line);
        }
        return lines;
    }

    TempDir dir_;
    qav::CWordList units_;
    qav::CWordList chunks_;
    qav::CHashTable merged_{1024};
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

    const qav::UnitIndex index = Read();
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
        const qav::UnitIndexEntry& got = index.units[i];
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
    const qav::UnitIndex index = Read();
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

    EXPECT_FALSE(qav::WriteUnitIndexStage(dir_.file("missing/Unit.dat"), dir_.file("Unit2"), units_, merged_, chunks_, 0));
    EXPECT_FALSE(qav::WriteUnitIndexStage(dir_.file("Unit3.dat"), dir_.file("missing/Unit3"), units_, merged_, chunks_, 0));
}

}  // namespace

namespace {

// Builds, sorts and writes the unit index of a small corpus; returns its
// complex section, key -> children, in UTF-8.
std::map<std::string, std::vector<std::string>> BuiltComplexUnits(int32_t minCount) {
    qztest::BuildFixture build;
    build.SetGroups({{build.AddFile({"我/r 爱/v 上海/ns"})}, {build.AddFile({"[IP [NP [上海 NR]] [VP [好 VA]]]"})}});
    build.idx.m_KindGroups[1] = {1};
    build.idx.m_Config.m_SizeInfo.MinIdxUnitCount_ForComplexIdx = minCount;
    testing::internal::CaptureStdout();
    const bool built = build.Build() && build.idx.SortOffset() && build.idx.WriteIdxInfo();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(built) << log;
    qav::UnitIndex index;
    EXPECT_TRUE(qav::ReadUnitIndexFile(build.idx.m_Config.m_FileInfo.Unit, &index));
    EXPECT_EQ(build.idx.m_WordList_U.words.size(), index.units.size());
    std::map<std::string, std::vector<std::string>> complex;
    for (const qav::ComplexUnitEntry& entry : index.complex_units)
        for (const std::string& child : entry.children) complex[qztest::Utf8(entry.key)].push_back(qztest::Utf8(child));
    return complex;
}

TEST(UnitIndexOfABuild, ComplexKeysOfTheCorpusUnits) {
    const auto complex = BuiltComplexUnits(0);
    const std::pair<const char*, const char*> expected[] = {{"v|", "我_v|"}, {"我>", "我_v|"},   {"|v", "|v_上"},
                                                            {"<上", "|v_上"}, {"$NP", "$NP_海"}, {"海@", "$NP_海"}};
    for (const auto& [key, unit] : expected) {
        auto found = complex.find(key);
        ASSERT_NE(complex.end(), found) << key;
        EXPECT_NE(found->second.end(), std::find(found->second.begin(), found->second.end(), unit)) << key;
    }
    // Every unit occurs once: a threshold of 1 leaves no complex unit.
    EXPECT_TRUE(BuiltComplexUnits(1).empty());
}

}  // namespace
