#include "qav/index/format/data_file.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "qav/index/format/offset_record.h"
#include "support/test_support.h"

namespace {

const std::string kMarkerTail = "-----MORVALDEN-----\xE4\xBA\x8ETESSOLMARIVANDE----2019\xE5\xB9\xB4\xE6\x98\xA5\xE8\x8A\x82";

TEST(DataFile, HeaderIsMarkerThenFF) {
    const std::string header = qav::DataHeaderBlock();
    ASSERT_EQ(header.size(), 2048u);
    EXPECT_EQ(header.substr(0, 58), "HEAD" + kMarkerTail);
    EXPECT_EQ(header.substr(58), std::string(2048 - 58, '\xFF'));
    EXPECT_EQ(header.substr(23, 3), "\xE4\xBA\x8E");
    EXPECT_EQ(header.substr(49, 9), "\xE5\xB9\xB4\xE6\x98\xA5\xE8\x8A\x82");
}

TEST(DataFile, TailIsFFThenMarker) {
    const std::string tail = qav::DataTailBlock();
    ASSERT_EQ(tail.size(), 2048u);
    EXPECT_EQ(tail.substr(0, 1990), std::string(1990, '\xFF'));
    EXPECT_EQ(tail.substr(1990), "Tail" + kMarkerTail);
}

TEST(DataFile, EmptyGroupFileIsHeaderAndTail) {
    qztest::TempDir dir;
    const std::string path = dir.file("Data_0.dat");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    EXPECT_TRUE(qav::WriteHeader(file));
    EXPECT_TRUE(qav::WriteTail(file));
    std::fclose(file);
    const std::string bytes = qztest::ReadFile(path);
    ASSERT_EQ(bytes.size(), 4096u);
    EXPECT_EQ(bytes.substr(0, 4), "HEAD");
    EXPECT_EQ(bytes.substr(4096 - 58, 9), "Tail-----");
    // The first word written after the header has position 512.
    EXPECT_EQ(qav::kFirstWordPosition, 2048u / 4);
}

TEST(DataFile, SentenceKeyIsFileAndPosition) {
    EXPECT_EQ(qav::CombineSentNo(512, 0), 512);
    EXPECT_EQ(qav::CombineSentNo(512, 1), 4294967296LL + 512);
    EXPECT_EQ(qav::CombineSentNo(512, 2), 8589935104LL);
    EXPECT_EQ(qav::CombineSentNo(0xFFFFFFFFu, 254), (254LL << 32) | 0xFFFFFFFFLL);
}

TEST(OffsetRecord, WidthByUnitType) {
    const struct { int type, width; } cases[] = {{3, 8}, {4, 8}, {5, 9}, {7, 0}, {0, 0}};
    for (const auto& c : cases) EXPECT_EQ(qav::OffsetRecordWidth(c.type), c.width) << c.type;
    // A unit with three occurrences has a region of 27 (type 5) or 24 bytes.
    EXPECT_EQ(3 * qav::OffsetRecordWidth(5), 27);
    EXPECT_EQ(3 * qav::OffsetRecordWidth(3), 24);
}

TEST(OffsetRecord, BytesAndRoundTrip) {
    qav::CSortIdxUnit unit;
    unit.position = 0x04030201;
    unit.index = -1;
    unit.file_no = 254;
    unit.clause = 7;
    unit.span = 255;

    unsigned char wide[9];
    qav::EncodeOffsetRecord(unit, 9, wide);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(wide), 9), std::string("\x01\x02\x03\x04\xFF\xFF\xFE\x07\xFF", 9));
    qav::CSortIdxUnit back = qav::DecodeOffsetRecord(wide, 9);
    EXPECT_EQ(back.position, unit.position);
    EXPECT_EQ(back.index, -1);
    EXPECT_EQ(back.file_no, 254);
    EXPECT_EQ(back.clause, 7);
    EXPECT_EQ(back.span, 255);

    // An 8-byte record writes nothing past its end and reads no span.
    unsigned char narrow[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0xAB};
    unit.index = 32767;
    qav::EncodeOffsetRecord(unit, 8, narrow);
    EXPECT_EQ(narrow[8], 0xAB);
    back = qav::DecodeOffsetRecord(narrow, 8);
    EXPECT_EQ(back.index, 32767);
    EXPECT_EQ(back.span, 0);
}

}  // namespace
