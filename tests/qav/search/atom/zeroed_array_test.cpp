// Work arrays come zeroed however they were made: fresh, or from a mapping a
// freed array left to its thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

}  // namespace
