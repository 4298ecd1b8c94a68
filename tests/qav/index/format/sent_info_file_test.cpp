#include "qav/index/format/sent_info_file.h"

#include <gtest/gtest.h>

#include "index_file_checks.h"
#include "support/test_support.h"

namespace {

using index_checks::I32;
using index_checks::I64;

const std::vector<qav::SentInfoTag> kTags = {{"NP", 1}, {"text", 0}};
const std::vector<qav::SentInfoRecord> kRecords = {{512, (0LL << 32) | 0, 0}, {4294967808LL, (3LL << 32) | 1, 12}};

std::string WriteSample(const std::string& path) {
    qav::SentInfoWriter writer;
    EXPECT_TRUE(writer.Create(path, kTags));
    for (const qav::SentInfoRecord& record : kRecords) writer.AddRecord(record);
    EXPECT_TRUE(writer.Close());
    return qztest::ReadFile(path);
}

TEST(SentInfoFile, BytesAndRoundTrip) {
    qztest::TempDir dir;
    const std::string bytes = WriteSample(dir.file("SentInfo.dat"));
    EXPECT_EQ(bytes, I32(2) + I32(2) + "NP" + I32(1) + I32(4) + "text" + I32(0) + I32(2) +  //
                         I64(512) + I64(0) + I32(0) + I64(4294967808LL) + I64((3LL << 32) | 1) + I32(12));

    std::vector<qav::SentInfoTag> tags;
    std::vector<qav::SentInfoRecord> records;
    ASSERT_TRUE(qav::ReadSentInfoFile(dir.file("SentInfo.dat"), &tags, &records));
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].text, "NP");
    EXPECT_EQ(tags[0].id, 1);
    EXPECT_EQ(tags[1].text, "text");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].key, 4294967808LL);
    EXPECT_EQ(records[1].value, (3LL << 32) | 1);
    EXPECT_EQ(records[1].line, 12);
}

TEST(SentInfoFile, NoRecords) {
    qztest::TempDir dir;
    qav::SentInfoWriter writer;
    ASSERT_TRUE(writer.Create(dir.file("s.dat"), {}));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(qztest::ReadFile(dir.file("s.dat")), I32(0) + I32(0));
    std::vector<qav::SentInfoTag> tags;
    std::vector<qav::SentInfoRecord> records;
    EXPECT_TRUE(qav::ReadSentInfoFile(dir.file("s.dat"), &tags, &records));
}

TEST(SentInfoFile, DamagedFilesAreRefused) {
    qztest::TempDir dir;
    const std::string good = WriteSample(dir.file("SentInfo.dat"));
    auto load = [](const std::string& path) {
        std::vector<qav::SentInfoTag> tags;
        std::vector<qav::SentInfoRecord> records;
        return qav::ReadSentInfoFile(path, &tags, &records);
    };
    index_checks::ExpectEveryTruncationRefused(good, "Warning: open %s fail!\n", load);

    const size_t recordCountAt = 4 + (4 + 2 + 4) + (4 + 4 + 4);
    const std::vector<index_checks::FilePatch> cases = {
        {"negative tag count", 0, I32(-1)},
        {"huge tag count", 0, I32(0x7FFFFFFF)},
        {"negative tag length", 4, I32(-2)},
        {"tag length 2,048", 4, I32(2048)},
        {"tag identifier not below the tag count", 10, I32(2)},
        {"negative tag identifier", 10, I32(-1)},
        {"negative record count", recordCountAt, I32(-1)},
        {"record count one too many", recordCountAt, I32(3)},
    };
    index_checks::ExpectPatchesRefused(good, cases, "Warning: open %s fail!\n", load);
}

}  // namespace
