#include "qav/index/format/unit_index_file.h"

#include <gtest/gtest.h>

#include "index_file_checks.h"
#include "support/test_support.h"

namespace {

using index_checks::I32;
using index_checks::I64;
using index_checks::U32;

qav::UnitIndex SampleIndex() {
    qav::UnitIndex index;
    index.units = {
        {qztest::Gbk("|v_上"), 0, 3, 4, 0},
        {qztest::Gbk("我_v|"), 24, 1, 3, 0},
        {qztest::Gbk("$NP_海"), 0, 2, 5, 1},
        {qztest::Gbk("|v_上_0"), 4294967296LL, 2, 4, 254},
    };
    index.complex_units = {
        {"|v", {qztest::Gbk("|v_上_0")}},
        {"v|", {qztest::Gbk("我_v|")}},
        {"$NP", {}},
    };
    return index;
}

TEST(UnitIndexFile, BytesOfOneEntry) {
    qztest::TempDir dir;
    qav::UnitIndex index;
    index.units = {{"ab", -2, 7, 5, 3}};
    ASSERT_TRUE(qav::WriteUnitIndexFile(dir.file("Unit.dat"), dir.file("Unit.dat"), index));
    EXPECT_EQ(qztest::ReadFile(dir.file("Unit.dat")),
              U32(1) + U32(2) + "ab" + I64(-2) + I32(7) + I32(5) + "\x03" + U32(0));
    EXPECT_EQ(qztest::ReadFile(dir.file("Unit.dat_txt")), "ab\t7\n");
}

TEST(UnitIndexFile, RoundTrip) {
    qztest::TempDir dir;
    const qav::UnitIndex index = SampleIndex();
    ASSERT_TRUE(qav::WriteUnitIndexFile(dir.file("Unit.dat"), dir.file("Info_Unit"), index));
    EXPECT_EQ(qztest::Utf8(qztest::ReadFile(dir.file("Info_Unit_txt"))),
              "|v_上\t3\n我_v|\t1\n$NP_海\t2\n|v_上_0\t2\n");

    qav::UnitIndex loaded;
    ASSERT_TRUE(qav::ReadUnitIndexFile(dir.file("Unit.dat"), &loaded));
    ASSERT_EQ(loaded.units.size(), index.units.size());
    for (size_t i = 0; i < index.units.size(); ++i) {
        EXPECT_EQ(loaded.units[i].name, index.units[i].name);
        EXPECT_EQ(loaded.units[i].offset, index.units[i].offset);
        EXPECT_EQ(loaded.units[i].count, index.units[i].count);
        EXPECT_EQ(loaded.units[i].type, index.units[i].type);
        EXPECT_EQ(loaded.units[i].file_no, index.units[i].file_no);
    }
    ASSERT_EQ(loaded.complex_units.size(), index.complex_units.size());
    for (size_t i = 0; i < index.complex_units.size(); ++i) {
        EXPECT_EQ(loaded.complex_units[i].key, index.complex_units[i].key);
        EXPECT_EQ(loaded.complex_units[i].children, index.complex_units[i].children);
    }
}

TEST(UnitIndexFile, WriterKeepsItsCounts) {
    qztest::TempDir dir;
    qav::UnitIndexWriter fewer;
    ASSERT_TRUE(fewer.Create(dir.file("a.dat"), dir.file("a"), 2));
    fewer.AddUnit({"x", 0, 1, 3, 0});
    fewer.BeginComplex(0);
    EXPECT_FALSE(fewer.Close());

    qav::UnitIndexWriter longName;
    ASSERT_TRUE(longName.Create(dir.file("b.dat"), dir.file("b"), 1));
    longName.AddUnit({std::string(2048, 'n'), 0, 1, 3, 0});
    longName.BeginComplex(0);
    EXPECT_FALSE(longName.Close());

    qav::UnitIndexWriter noDir;
    EXPECT_FALSE(noDir.Create(dir.file("no/such/c.dat"), dir.file("c"), 0));
    EXPECT_FALSE(noDir.Close());
}

TEST(UnitIndexFile, DamagedFilesAreRefused) {
    qztest::TempDir dir;
    ASSERT_TRUE(qav::WriteUnitIndexFile(dir.file("Unit.dat"), dir.file("Unit"), SampleIndex()));
    const std::string good = qztest::ReadFile(dir.file("Unit.dat"));
    auto load = [](const std::string& path) {
        qav::UnitIndex index;
        return qav::ReadUnitIndexFile(path, &index);
    };
    index_checks::ExpectEveryTruncationRefused(good, "Error open %s !\n", load);

    // The first entry's name "|v_上" has 5 bytes; the complex section starts
    // after the four units.
    size_t complexAt = 4;
    for (const qav::UnitIndexEntry& unit : SampleIndex().units) complexAt += unit.name.size() + 21;
    ASSERT_EQ(good.substr(complexAt, 4 + 4 + 2 + 4), U32(3) + U32(2) + "|v" + U32(1));
    const std::vector<index_checks::FilePatch> cases = {
        {"huge unit count", 0, U32(0xFFFFFFFF)},
        {"name length 2,048", 4, U32(2048)},
        {"huge complex count", complexAt, U32(0x7FFFFFFF)},
        {"huge child count", complexAt + 4 + 4 + 2, U32(0x40000000)},
    };
    index_checks::ExpectPatchesRefused(good, cases, "Error open %s !\n", load);
}

}  // namespace
