#include "qav/index/format/org_dat_file.h"

#include <gtest/gtest.h>

#include <limits>

#include "index_file_checks.h"
#include "support/test_support.h"

namespace {

using index_checks::I64;
using index_checks::U32;

TEST(OrgDatFile, DocumentWithoutNameStoresLengthZero) {
    qztest::TempDir dir;
    const qav::OrgTable table{{512, std::numeric_limits<int64_t>::max()}, {"", "Doc_1"}};
    ASSERT_TRUE(qav::WriteOrgDatFile(dir.file("Org.dat"), table));
    EXPECT_EQ(qztest::ReadFile(dir.file("Org.dat")),
              U32(2) + I64(512) + std::string(7, '\xFF') + "\x7F" + U32(0) + U32(5) + "Doc_1");

    qav::OrgTable loaded;
    ASSERT_TRUE(qav::ReadOrgDatFile(dir.file("Org.dat"), &loaded));
    EXPECT_EQ(loaded.ends, table.ends);
    EXPECT_EQ(loaded.names, table.names);
}

TEST(OrgDatFile, SingleDocumentBytes) {
    qztest::TempDir dir;
    ASSERT_TRUE(qav::WriteOrgDatFile(dir.file("Org.dat"), qav::OrgTable{{-1}, {"Doc_0"}}));
    EXPECT_EQ(qztest::ReadFile(dir.file("Org.dat")), U32(1) + std::string(8, '\xFF') + U32(5) + "Doc_0");
    EXPECT_FALSE(qav::WriteOrgDatFile(dir.file("bad.dat"), qav::OrgTable{{1, 2}, {"a"}}));
}

TEST(OrgDatFile, DamagedFilesAreRefused) {
    qztest::TempDir dir;
    ASSERT_TRUE(qav::WriteOrgDatFile(dir.file("Org.dat"), qav::OrgTable{{100, 200, -1}, {"A", "", qztest::Gbk("文档")}}));
    const std::string good = qztest::ReadFile(dir.file("Org.dat"));
    auto load = [](const std::string& path) {
        qav::OrgTable table;
        return qav::ReadOrgDatFile(path, &table);
    };
    index_checks::ExpectEveryTruncationRefused(good, "Error open %s !\n", load);

    const std::string path = dir.file("patched");
    bool loaded = true;
    index_checks::LoadFails(path, index_checks::Patched(good, 0, U32(0xFFFFFFFF)), load, &loaded);
    EXPECT_FALSE(loaded);
    index_checks::LoadFails(path, index_checks::Patched(good, 4 + 24, U32(0x7FFFFFFF)), load, &loaded);
    EXPECT_FALSE(loaded);

    // A missing table is not an error of the index: nothing is printed.
    qav::OrgTable table;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(qav::ReadOrgDatFile(dir.file("missing"), &table));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
