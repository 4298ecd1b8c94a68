#include "common/platform/zq_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

int CompareInt(const void* a, const void* b) {
    int x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return (x > y) - (x < y);
}

std::vector<int> SortedByQuicksort(std::vector<int> v) {
    zq_quicksort(v.data(), v.size(), sizeof(int), CompareInt);
    return v;
}

std::vector<int> SortedByStd(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<int> Random(size_t n, int range, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> dist(-range, range);
    std::vector<int> v(n);
    for (int& x : v) x = dist(rng);
    return v;
}

TEST(ZqQuicksort, AgreesWithStdSort) {
    std::vector<int> ascending(1000), descending(1000);
    for (int i = 0; i < 1000; ++i) {
        ascending[i] = i;
        descending[i] = 1000 - i;
    }
    const std::vector<std::vector<int>> cases = {
        {},
        {7},
        {2, 1},
        {3, 1, 2},
        {4, 3, 2, 1},
        {5, 1, 4, 2, 3},
        {6, 6, 1, 6, 1, 6},
        ascending,
        descending,
        std::vector<int>(1000, 42),
        Random(1000, 3, 1),          // many equal keys
        Random(100000, 1 << 30, 2),  // large random input
    };
    for (const auto& input : cases) {
        EXPECT_EQ(SortedByQuicksort(input), SortedByStd(input)) << "n=" << input.size();
    }
}

// Records of an odd size with a key and a payload: every record survives and
// the keys come out in order.
struct Record {
    uint32_t key;
    char payload[5];
};

int CompareRecordKey(const void* a, const void* b) {
    uint32_t x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return (x > y) - (x < y);
}

TEST(ZqQuicksort, OddSizedRecordsKeepTheirBytes) {
    constexpr size_t kSize = 9;
    constexpr size_t kCount = 5000;
    std::mt19937 rng(3);
    std::vector<unsigned char> bytes(kSize * kCount);
    for (size_t i = 0; i < kCount; ++i) {
        uint32_t key = rng() % 100;
        std::memcpy(&bytes[i * kSize], &key, sizeof key);
        for (size_t b = 4; b < kSize; ++b) bytes[i * kSize + b] = static_cast<unsigned char>(rng());
    }
    auto as_records = [&](const std::vector<unsigned char>& data) {
        std::vector<std::vector<unsigned char>> out;
        for (size_t i = 0; i < kCount; ++i) out.emplace_back(data.begin() + i * kSize, data.begin() + (i + 1) * kSize);
        return out;
    };
    auto before = as_records(bytes);

    zq_quicksort(bytes.data(), kCount, kSize, CompareRecordKey);

    auto after = as_records(bytes);
    for (size_t i = 1; i < kCount; ++i) ASSERT_LE(CompareRecordKey(after[i - 1].data(), after[i].data()), 0) << i;
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(before, after);
}

int CompareWithDirection(const void* a, const void* b, void* context) {
    int direction = *static_cast<int*>(context);
    return direction * CompareInt(a, b);
}

TEST(ZqQuicksortEx, HandsTheContextToEveryComparison) {
    std::vector<int> v = Random(10000, 500, 4);
    int descending = -1;
    zq_quicksort_ex(v.data(), v.size(), sizeof(int), CompareWithDirection, &descending);
    std::vector<int> expected = SortedByStd(v);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(v, expected);
}


// Sorting in parts gives the bytes zq_quicksort_ex gives, ties included, in
// whatever order the parts are partitioned.
TEST(ZqQuicksort, PartsGiveTheSameOrderAsOneSort) {
    struct Element {
        int key;
        int payload;  // tells equal keys apart in the result
    };
    auto byKey = [](const void* a, const void* b, void*) {
        int x, y;
        std::memcpy(&x, a, sizeof x);
        std::memcpy(&y, b, sizeof y);
        return (x > y) - (x < y);
    };
    for (size_t n : {size_t{0}, size_t{5}, size_t{6}, size_t{100}, size_t{5000}}) {
        for (int range : {3, 1000}) {
            std::vector<Element> input(n);
            std::mt19937 rng(static_cast<unsigned>(n + range));
            for (size_t i = 0; i < n; ++i) input[i] = {static_cast<int>(rng() % range), static_cast<int>(i)};
            std::vector<Element> whole = input;
            zq_quicksort_ex(whole.data(), n, sizeof(Element), byKey, nullptr);
            for (size_t minHandOff : {size_t{6}, size_t{64}}) {
                for (bool lastFirst : {false, true}) {
                    std::vector<Element> parted = input;
                    std::vector<std::pair<void*, size_t>> waiting{{parted.data(), n}};
                    while (!waiting.empty()) {
                        const auto part = lastFirst ? waiting.back() : waiting.front();
                        waiting.erase(lastFirst ? waiting.end() - 1 : waiting.begin());
                        qz::ZqPartitionEx(part.first, part.second, sizeof(Element), byKey, nullptr, minHandOff,
                                      [&](void* p, size_t count) { waiting.push_back({p, count}); });
                    }
                    qz::ZqFinishEx(parted.data(), n, sizeof(Element), byKey, nullptr);
                    EXPECT_EQ(0, n ? std::memcmp(whole.data(), parted.data(), n * sizeof(Element)) : 0)
                        << n << " elements, keys below " << range << ", hand-off from " << minHandOff
                        << (lastFirst ? ", last part first" : ", first part first");
                }
            }
        }
    }
}

}  // namespace
