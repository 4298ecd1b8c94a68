// Work arrays come zeroed however they were made: fresh, or from a mapping a
// freed array left to its thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "qav/search/atom/zeroed_array.h"

namespace {

bool AllZero(const uint64_t* values, size_t count) {
    return std::all_of(values, values + count, [](uint64_t value) { return value == 0; });
}

TEST(ZeroedArray, AnArrayMadeWhereAFreedOneWasWrittenIsZeroed) {
    // Mapped and heap sizes, each written at its ends and in the middle, then
    // freed and made again at the same size, twice.
    for (size_t count : {size_t{3} << 20, size_t{1000}}) {
        for (int round = 0; round < 3; ++round) {
            qav::ZeroedArray<uint64_t> array = qav::MakeZeroedArray<uint64_t>(count);
            ASSERT_TRUE(array);
            EXPECT_TRUE(AllZero(array.get(), count)) << count << " round " << round;
            array[0] = array[count / 2] = array[count - 1] = 0x5A5A5A5A5A5A5A5Aull;
        }
    }
}

TEST(ZeroedArray, AThreadKeepsSomeMappingsAndGivesThemBackWhenItEnds) {
    // A thread that frees more mappings than it keeps, then ends; an array
    // made afterwards on this thread is zeroed all the same.
    std::thread([] {
        for (int i = 0; i < 40; ++i) {
            qav::ZeroedArray<uint64_t> array = qav::MakeZeroedArray<uint64_t>((size_t{1} << 17) + i);
            ASSERT_TRUE(array);
            array[i] = 1;
        }
    }).join();
    qav::ZeroedArray<uint64_t> array = qav::MakeZeroedArray<uint64_t>(size_t{1} << 17);
    ASSERT_TRUE(array);
    EXPECT_TRUE(AllZero(array.get(), size_t{1} << 17));
}

// The flags of the mapping holding address, from /proc/self/smaps.
std::string MappingFlags(const void* address) {
    std::ifstream smaps("/proc/self/smaps");
    const auto at = reinterpret_cast<uintptr_t>(address);
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        uintptr_t from = 0;
        uintptr_t to = 0;
        if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR " ", &from, &to) == 2 && line.find(' ') < 40)
            inside = at >= from && at < to;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line;
    }
    return "";
}

TEST(ZeroedArray, AnArrayAdvisedForHugePagesLeavesNoAdviceToTheNext) {
    const size_t count = size_t{4} << 20;
    {
        qav::ZeroedArray<uint64_t> large = qav::MakeZeroedArray<uint64_t>(count);
        ASSERT_TRUE(large);
        qav::AdviseHugePages(large);
        const std::string flags = MappingFlags(large.get());
        if (flags.find(" hg") == std::string::npos) GTEST_SKIP() << "no huge page advice here: " << flags;
    }
    qav::ZeroedArray<uint64_t> next = qav::MakeZeroedArray<uint64_t>(count);
    ASSERT_TRUE(next);
    const std::string flags = MappingFlags(next.get());
    ASSERT_FALSE(flags.empty());
    EXPECT_EQ(std::string::npos, flags.find(" hg")) << flags;
}

}  // namespace
