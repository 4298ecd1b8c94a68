// Prefix look-up of document names in transducers made by the builder,
// checked against the names themselves.
#include "qav/fulltext/search/fst_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "qav/fulltext/build/qav_fst.h"

namespace {

qav::FSTIndex Build(const std::map<std::string, int64_t>& names) {
    qav::bm::QAVFST builder;
    for (const auto& [name, value] : names) EXPECT_TRUE(builder.Add(name, value)) << name;
    EXPECT_TRUE(builder.Finish());
    qav::FSTIndex fst;
    fst.m_pnBytes = builder.words();
    fst.m_nByteLength = static_cast<uint32_t>(fst.m_pnBytes.size());
    fst.m_pnBytes.push_back(0);
    return fst;
}

std::vector<uint64_t> Sorted(std::vector<uint64_t> values) {
    std::sort(values.begin(), values.end());
    return values;
}

TEST(FSTSearch, CollectsEveryNameWithThePrefix) {
    const qav::FSTIndex fst = Build({{"abc", 7}, {"abd", 9}, {"b", 4294967301LL}, {"bcd", 3}});
    const struct {
        std::string names;
        std::vector<uint64_t> values;
    } cases[] = {
        {"ab", {7, 9}}, {"abc", {7}}, {"x", {}}, {"abcd", {}}, {"b", {3, 4294967301ULL}},
        {"abc;abd, b", {3, 7, 9, 4294967301ULL}},
    };
    for (const auto& c : cases) {
        qav::FSTSearch search;
        search.FSTSearchInit();
        testing::internal::CaptureStdout();
        EXPECT_TRUE(search.GetFSTCandidateDoc(c.names, fst)) << c.names;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(Sorted(search.m_Values), c.values) << c.names;
    }
}

TEST(FSTSearch, LookUpsAccumulateAndMatchEveryPrefixOfManyNames) {
    std::map<std::string, int64_t> names;
    for (int i = 0; i < 300; ++i) {
        const std::string name = "r" + std::to_string(100000 + i * 37 % 1000) + (i % 3 ? "x" : "");
        names[name] = (static_cast<int64_t>(i % 4) << 32) | static_cast<uint32_t>(i * 101);
    }
    const qav::FSTIndex fst = Build(names);
    for (const std::string prefix : {"r", "r1001", "r10050", "r100999x", "r2"}) {
        std::vector<uint64_t> expected;
        for (const auto& [name, value] : names)
            if (name.rfind(prefix, 0) == 0) expected.push_back(static_cast<uint64_t>(value));
        qav::FSTSearch search;
        search.FSTSearchInit();
        testing::internal::CaptureStdout();
        EXPECT_TRUE(search.GetFSTCandidateDoc(prefix, fst));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(Sorted(search.m_Values), Sorted(expected)) << prefix;
    }
    qav::FSTSearch search;
    search.FSTSearchInit();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(search.GetFSTCandidateDoc("r100000", fst));
    EXPECT_TRUE(search.GetFSTCandidateDoc("r100037x", fst));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(search.m_Values, (std::vector<uint64_t>{static_cast<uint64_t>(names["r100000"]),
                                                      static_cast<uint64_t>(names["r100037x"])}));
}

TEST(FSTSearch, RefusesAnArrayTooSmallToHoldArcs) {
    qav::FSTIndex fst;
    fst.m_pnBytes = {0, 0};
    fst.m_nByteLength = 1;
    qav::FSTSearch search;
    search.FSTSearchInit();
    EXPECT_FALSE(search.GetExactArc("a", fst));
    fst.m_pnBytes = {0, 'a', 0x10, 0};  // one arc whose output word is missing
    fst.m_nByteLength = 3;
    EXPECT_FALSE(search.GetExactArc("a", fst));
}

}  // namespace
