// Public source ids: known ids, the round trip over the whole key space's
// corners and a sweep, and the ids a decoder must refuse.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>

#include "qav/search/rows/source_id.h"

namespace {

struct KnownId {
    uint8_t file;
    uint32_t position;
    const char* id;
};

// Worked out by hand from v = (file ^ 0x5D) | ((position ^ 0x3C81B7E2) << 8).
const KnownId kKnownIds[] = {
    {0, 512, "FIJbFz4"},
    {254, 0xFFFFFFFF, "NZr6vMe"},
    {0x5D, 0x3C81B7E2, "0"},         // v = 0: the shortest id
    {0x5C, 0x3C81B7E2, "1"},
    {0x5D ^ 62, 0x3C81B7E2, "01"},   // v = 62: a zero digit below the top
    {0xA2, 0xC37E481D, "vOJiamj"},  // v = 2^40 - 1: the longest
};

// The formula, independently of the encoder: digits read in reverse, the
// value kept to 40 bits.
bool FromFormula(const std::string& id, uint8_t& file, uint32_t& position) {
    uint64_t v = 0;
    for (size_t i = id.size(); i-- > 0;) {
        const char* at = std::strchr(qav::g_b62, id[i]);
        if (!at || id[i] == '\0') return false;
        v = v * 62 + static_cast<uint64_t>(at - qav::g_b62);
    }
    v &= (uint64_t{1} << 40) - 1;
    file = static_cast<uint8_t>((v & 0xFF) ^ 0x5D);
    position = static_cast<uint32_t>((v >> 8) ^ 0x3C81B7E2);
    return true;
}

TEST(SourceId, KnownIdsEncodeAndDecode) {
    for (const KnownId& known : kKnownIds) {
        SCOPED_TRACE(known.id);
        EXPECT_EQ(qav::EncodeSourceId(known.file, known.position), known.id);
        uint8_t file = 0;
        uint32_t position = 0;
        // The table itself is held against the formula, not trusted.
        ASSERT_TRUE(FromFormula(known.id, file, position));
        EXPECT_EQ(file, known.file);
        EXPECT_EQ(position, known.position);
        ASSERT_TRUE(qav::DecodeSourceId(known.id, file, position));
        EXPECT_EQ(file, known.file);
        EXPECT_EQ(position, known.position);
        uint64_t key = 0;
        ASSERT_TRUE(qav::DecodeSourceId(known.id, key));
        EXPECT_EQ(key, (uint64_t{known.file} << 32) | known.position);
    }
}

TEST(SourceId, EveryFileAndManyPositionsRoundTrip) {
    std::mt19937 random(7);
    for (int file = 0; file < 255; ++file) {
        for (uint32_t position : {0u, 1u, 511u, 512u, 0x3C81B7E2u, 0xFFFFFFFEu, 0xFFFFFFFFu,
                                  static_cast<uint32_t>(random()), static_cast<uint32_t>(random())}) {
            const std::string id = qav::EncodeSourceId(static_cast<uint8_t>(file), position);
            ASSERT_GE(id.size(), 1u);
            ASSERT_LE(id.size(), qav::kMaxSourceIdChars);
            uint8_t f = 0, formulaFile = 0;
            uint32_t p = 0, formulaPosition = 0;
            ASSERT_TRUE(FromFormula(id, formulaFile, formulaPosition)) << id;
            EXPECT_EQ(formulaFile, file);
            EXPECT_EQ(formulaPosition, position);
            ASSERT_TRUE(qav::DecodeSourceId(id, f, p)) << id;
            EXPECT_EQ(f, file);
            EXPECT_EQ(p, position);
        }
    }
}

TEST(SourceId, IdsTheEncoderNeverWritesStillDecode) {
    const char* const ids[] = {
        "FIJbFz0",   // a most significant zero digit
        "wOJiamj",   // 2^40, kept to 40 bits: 0
        "ZZZZZZZ",   // above 40 bits
        "FIJbFz4a",  // eight digits
        "C2",        // v = 162: a file number no index has
    };
    for (const char* id : ids) {
        SCOPED_TRACE(id);
        uint8_t formulaFile = 0, file = 0;
        uint32_t formulaPosition = 0, position = 0;
        ASSERT_TRUE(FromFormula(id, formulaFile, formulaPosition));
        ASSERT_TRUE(qav::DecodeSourceId(id, file, position));
        EXPECT_EQ(file, formulaFile);
        EXPECT_EQ(position, formulaPosition);
    }
    uint8_t file = 0;
    uint32_t position = 0;
    uint8_t shortFile = 0;
    uint32_t shortPosition = 0;
    ASSERT_TRUE(qav::DecodeSourceId("FIJbFz", shortFile, shortPosition));
    ASSERT_TRUE(qav::DecodeSourceId("FIJbFz0", file, position));
    EXPECT_EQ(std::make_pair(file, position), std::make_pair(shortFile, shortPosition));
    ASSERT_TRUE(qav::DecodeSourceId("wOJiamj", file, position));
    EXPECT_EQ(std::make_pair(file, position), std::make_pair(uint8_t{0x5D}, 0x3C81B7E2u));
    ASSERT_TRUE(qav::DecodeSourceId("C2", file, position));
    EXPECT_EQ(std::make_pair(file, position), std::make_pair(uint8_t{255}, 0x3C81B7E2u));
}

TEST(SourceId, MalformedIdsAreRefused) {
    const char* bad[] = {
        "",           // empty
        "FIJbFz4ab",  // nine characters
        "FIJ-Fz4",    // not a base-62 digit
        "FIJ Fz4",
    };
    for (const char* id : bad) {
        SCOPED_TRACE(id);
        uint8_t file = 9;
        uint32_t position = 99;
        EXPECT_FALSE(qav::DecodeSourceId(id, file, position));
        EXPECT_EQ(file, 9);
        EXPECT_EQ(position, 99u);
        uint64_t key = 5;
        EXPECT_FALSE(qav::DecodeSourceId(id, key));
        EXPECT_EQ(key, 5u);
    }
    // An embedded NUL is no digit either.
    uint64_t key = 0;
    EXPECT_FALSE(qav::DecodeSourceId(std::string_view("FI\0bFz4", 7), key));
}

}  // namespace
