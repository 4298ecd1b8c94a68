#include "qav/index/format/data_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

namespace {

// Writes data files prefix_0.dat, ... of the given numbers of 4-byte words,
// each word a different value.
void WriteWordFiles(const std::string& prefix, const std::vector<size_t>& sizes) {
    uint32_t value = 1;
    for (size_t f = 0; f < sizes.size(); ++f) {
        std::vector<uint32_t> words(sizes[f]);
        for (uint32_t& word : words) word = value++ * 2654435761u;
        std::FILE* file = std::fopen((prefix + "_" + std::to_string(f) + ".dat").c_str(), "wb");
        ASSERT_TRUE(file);
        ASSERT_EQ(std::fwrite(words.data(), 4, words.size(), file), words.size());
        std::fclose(file);
    }
}

}  // namespace

TEST(DataFile, EngineArraysHoldTheSameWordsAsPlainOnes) {
    // Below, at and above the size from which an engine's array is a mapping
    // of its own, rounded up to whole huge pages.
    constexpr size_t kHugePageWords = (size_t{2} << 20) / 4;
    const std::vector<size_t> sizes = {1024, kHugePageWords - 1, kHugePageWords, kHugePageWords + 1};
    qztest::TempDir dir;
    const std::string prefix = dir.file("Data");
    WriteWordFiles(prefix, sizes);

    std::vector<std::unique_ptr<uint32_t[]>> plain;
    std::vector<qav::CorpusWords> engine;
    std::vector<uint32_t> plainLengths, engineLengths;
    ASSERT_TRUE(qav::LoadDataFiles(prefix, plain, plainLengths));
    ASSERT_TRUE(qav::LoadDataFiles(prefix, engine, engineLengths));
    ASSERT_EQ(engine.size(), sizes.size());
    EXPECT_EQ(engineLengths, plainLengths);
    const size_t mapped[] = {0, 0, size_t{2} << 20, size_t{4} << 20};
    for (size_t f = 0; f < sizes.size(); ++f) {
        ASSERT_EQ(engineLengths[f], sizes[f]);
        EXPECT_EQ(engine[f].get_deleter().mappedBytes, mapped[f]) << f;
        if (mapped[f] > 0) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(engine[f].get()) % (size_t{2} << 20), 0u) << f;
        }
        EXPECT_TRUE(std::equal(plain[f].get(), plain[f].get() + sizes[f], engine[f].get())) << f;
    }
}

TEST(DataFile, EngineArraysTakeOverPlainArrays) {
    std::vector<qav::CorpusWords> words;
    words.push_back(std::unique_ptr<uint32_t[]>(new uint32_t[2]{7, 8}));
    words.emplace_back(new uint32_t[1]{9});
    EXPECT_EQ(words[0][1], 8u);
    EXPECT_EQ(words[1][0], 9u);
    EXPECT_EQ(words[0].get_deleter().mappedBytes, 0u);
}
