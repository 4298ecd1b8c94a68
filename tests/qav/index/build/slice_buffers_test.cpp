// Buffers cut from shared blocks: each taken buffer is a place of its own
// that stays where it is while later ones are taken.
#include "qav/index/build/slice_buffers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(SliceBuffers, BuffersNeverOverlapAndKeepTheirBytes) {
    qav::SliceBuffers buffers;
    constexpr size_t kBlock = qav::SliceBuffers::kBlockBytes;
    // Small ones filling several blocks, empty ones, ones past a quarter of a
    // block (blocks of their own) and one larger than a block.
    const std::vector<size_t> sizes = {0, 1, 100, kBlock / 4, kBlock / 4 + 1, 7, kBlock - 3, 0, kBlock * 2, 64, 64};
    std::vector<std::pair<unsigned char*, size_t>> taken;
    for (size_t round = 0; round < 3; ++round) {
        for (size_t size : sizes) {
            unsigned char* buffer = buffers.Take(size);
            ASSERT_NE(buffer, nullptr);
            std::memset(buffer, static_cast<int>(taken.size() & 0xFF), size);
            taken.emplace_back(buffer, size);
        }
    }
    for (size_t i = 0; i < taken.size(); ++i) {
        const auto [buffer, size] = taken[i];
        for (size_t at = 0; at < size; ++at) ASSERT_EQ(buffer[at], i & 0xFF) << i << " " << at;
        for (size_t j = 0; j < i; ++j) EXPECT_NE(taken[j].first, buffer) << i << " " << j;
    }
    buffers.Clear();
    EXPECT_NE(buffers.Take(10), nullptr);
}

}  // namespace
