#include "qav/fulltext/build/qav_fst.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "fst_reader.h"
#include "support/test_support.h"

namespace qav::bm {
namespace {

using qav_bm_test::FstLookup;

std::vector<uint32_t> Build(const std::vector<std::pair<std::string, int64_t>>& names) {
    QAVFST fst;
    for (const auto& [name, value] : names) EXPECT_TRUE(fst.Add(name, value)) << name;
    EXPECT_TRUE(fst.Finish());
    return fst.words();
}

TEST(QAVFST, WritesArcsWithTheirOutputsAndFlags) {
    // One name: the root's only arc carries the value; final, newest, leaf, output.
    EXPECT_EQ(Build({{"a", 5}}), (std::vector<uint32_t>{0, 5, 97, 0x1F}));
    // A value that needs two words: high half, then low half, with 0x40.
    EXPECT_EQ(Build({{"a", int64_t{1} << 32}}), (std::vector<uint32_t>{0, 1, 0, 97, 0x5F}));
    // Nothing added: no words at all.
    EXPECT_TRUE(Build({}).empty());
}

TEST(QAVFST, PushesOutputsBelowSharedPrefixes) {
    // "ab" 7, "ac" 9: the node after "a" holds "b" (0) and "c" (2); "a" carries 7.
    const std::vector<uint32_t> words = Build({{"ab", 7}, {"ac", 9}});
    EXPECT_EQ(words, (std::vector<uint32_t>{0, 2, 99, 0x1F, 0, 98, 0x09, 7, 97, 0x16}));
    const struct { std::vector<std::pair<std::string, int64_t>> names; } cases[] = {
        {{{"ab", 7}, {"ac", 9}}},
        {{{"ab", 9}, {"ac", 7}}},
        {{{"a", 5}, {"ab", 3}, {"abc", 8}, {"b", 0}}},
        {{{"x", int64_t{5} << 32}, {"xy", 1}, {"xz", 4294967295LL}}},
    };
    for (const auto& c : cases) {
        const std::vector<uint32_t> built = Build(c.names);
        for (const auto& [name, value] : c.names) EXPECT_EQ(FstLookup(built, name), value) << name;
        EXPECT_EQ(FstLookup(built, "q"), std::nullopt);
    }
}

TEST(QAVFST, RefusesNamesOutOfOrderAndKeepsTheFirstOfEqualNames) {
    QAVFST fst;
    EXPECT_TRUE(fst.Add("b", 1));
    EXPECT_TRUE(fst.Add("b", 2));
    EXPECT_TRUE(fst.Add("", 3));  // ignored
    testing::internal::CaptureStdout();
    EXPECT_FALSE(fst.Add("a", 4));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("out of order"), std::string::npos);
    EXPECT_TRUE(fst.Finish());
    EXPECT_EQ(FstLookup(fst.words(), "b"), 1);
}

TEST(QAVFST, FailsWhenTheWordArrayIsFull) {
    QAVFST fst(6);
    EXPECT_TRUE(fst.Add("ab", 1));
    EXPECT_TRUE(fst.Add("ac", 2));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(fst.Finish());
    testing::internal::GetCapturedStdout();
}

TEST(QAVFST, FindsEveryNameOfALargeSortedSet) {
    std::mt19937 random(7);
    std::map<std::string, int64_t> names;
    while (names.size() < 5000) {
        std::string name;
        const int length = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < length; ++i) name += static_cast<char>("ab\xB0\xA1z"[random() % 5]);
        names[name] = static_cast<int64_t>(random() % 4) << 32 | random();
    }
    QAVFST fst;
    for (const auto& [name, value] : names) ASSERT_TRUE(fst.Add(name, value));
    ASSERT_TRUE(fst.Finish());
    for (const auto& [name, value] : names) ASSERT_EQ(FstLookup(fst.words(), name), value) << name;
    EXPECT_EQ(FstLookup(fst.words(), "abababab" "a"), std::nullopt);

    qztest::TempDir dir;
    ASSERT_TRUE(fst.WriteBytes2Files(dir.file("Data.BYTE")));
    EXPECT_EQ(qztest::ReadFile(dir.file("Data.BYTE")).size(), fst.words().size() * 4);
}

}  // namespace
}  // namespace qav::bm
