// The merge work area: set-up, growth and the prefilter bitmaps.
#include <gtest/gtest.h>

#include <cstdint>

#include "qav/search/merge/for_merge.h"

namespace {

TEST(ForMerge, InitSizesPoolAndClearsReusedArrays) {
    qav::CForMerge area;
    ASSERT_TRUE(area.ForMergeInit(16, 64, nullptr));
    EXPECT_EQ(16, area.m_nBucketCount);
    EXPECT_EQ(64, area.m_nPoolCapacity);
    EXPECT_EQ(64, area.m_nTagSize);

    qav::CRetInfoEx* entry = area.NewEntry();
    ASSERT_NE(nullptr, entry);
    // Copying a hit into a chained entry keeps the chain.
    entry->next = area.NewEntry();
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.position = 42;
    entry->SetRetInfo(hit);
    EXPECT_EQ(42u, entry->position);
    EXPECT_EQ(&area.m_Pool[1], entry->next);
    area.m_Buckets[3] = entry;
    area.m_BucketCount[1][3] = 1;
    area.SetTag(0, 5);
    ASSERT_TRUE(area.HasTag(0, 5));

    ASSERT_TRUE(area.ForMergeInit(16, 64, nullptr));
    EXPECT_EQ(nullptr, area.m_Buckets[3]);
    EXPECT_EQ(0, area.m_BucketCount[1][3]);
    EXPECT_FALSE(area.HasTag(0, 5));
    EXPECT_EQ(0, area.m_nPoolUsed);
}

TEST(ForMerge, TagsAddressBitHModSizeOfEachBitmap) {
    qav::CForMerge area;
    ASSERT_TRUE(area.ForMergeInit(0, 80, nullptr));
    area.SetTag(0, 80 + 9);  // bit 9: byte 1, bit 1
    EXPECT_EQ(0x02, area.m_Tag[0][1]);
    EXPECT_TRUE(area.HasTag(0, 9));
    EXPECT_FALSE(area.HasTag(1, 9));
    EXPECT_FALSE(area.HasTag(0, 10));
    area.ClearTag();
    EXPECT_FALSE(area.HasTag(0, 9));

    // No bitmap: nothing is tagged and nothing divides by zero.
    qav::CForMerge bare;
    bare.SetTag(0, 7);
    EXPECT_FALSE(bare.HasTag(0, 7));
}

TEST(ForMerge, PrepareGrowsToTheInputsAndNeverShrinks) {
    qav::CForMerge area;
    ASSERT_TRUE(area.ForMergeInit(4, 10, nullptr));
    ASSERT_TRUE(area.PrepareForMerge(100, 7));
    EXPECT_EQ(25, area.m_nBucketCount);  // larger / 4
    EXPECT_EQ(70, area.m_nTagSize);      // 10 x smaller
    EXPECT_GE(area.m_nPoolCapacity, 100);

    ASSERT_TRUE(area.PrepareForMerge(8, 1));
    EXPECT_EQ(25, area.m_nBucketCount);
    EXPECT_EQ(70, area.m_nTagSize);
    for (int i = 0; i < area.m_nPoolCapacity; ++i) ASSERT_NE(nullptr, area.NewEntry());
    EXPECT_EQ(nullptr, area.NewEntry());
}

}  // namespace
