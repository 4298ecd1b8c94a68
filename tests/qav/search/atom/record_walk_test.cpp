// The batched walk over an atom result's records: the same records in the
// same order as the walk one by one, whatever the range and the segments.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "qav/index/format/offset_record.h"
#include "qav/search/atom/record_walk.h"

namespace {

using Seen = std::tuple<uint32_t, int, int>;  // position, word index, file

// Records of three segments: 8-byte, 9-byte and 8-byte, of 5, 37 and 20
// records, so that batches end inside and across segments.
class RecordWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(result_.AtomRetInit(4));
        result_.Take();
        const int counts[] = {5, 37, 20};
        const int widths[] = {8, 9, 8};
        uint32_t position = 0;
        for (int s = 0; s < 3; ++s) {
            // One record in front that the segment starts after.
            std::vector<unsigned char>& bytes = buffers_[s];
            bytes.resize(static_cast<size_t>((counts[s] + 1) * widths[s]));
            for (int r = 0; r <= counts[s]; ++r) {
                qav::CSortIdxUnit unit;
                unit.position = position++;
                unit.index = static_cast<int16_t>(r);
                unit.file_no = static_cast<uint8_t>(s);
                qav::EncodeOffsetRecord(unit, widths[s], bytes.data() + r * widths[s]);
            }
            ASSERT_TRUE(result_.AddSegment(bytes.data(), static_cast<uint64_t>(widths[s]), counts[s],
                                           static_cast<uint8_t>(widths[s])));
        }
    }
    void TearDown() override { result_.Release(); }

    std::vector<Seen> OneByOne(int64_t from, int64_t to) const {
        std::vector<Seen> seen;
        qav::ForEachRecordInRange(result_, from, to, [&](const qav::OffsetRecordInfo& r) {
            seen.emplace_back(r.position, r.wordIndex, r.fileNo);
            return false;
        });
        return seen;
    }

    qav::CAtomRet result_;
    std::vector<unsigned char> buffers_[3];
};

TEST_F(RecordWalkTest, BatchesGiveTheRecordsOfEveryRangeInOrder) {
    ASSERT_EQ(62, qav::CountSegmentRecords(result_));
    const std::pair<int64_t, int64_t> ranges[] = {{0, 62}, {0, 0}, {3, 4}, {4, 6}, {5, 42}, {17, 61}, {41, 62}};
    for (const auto& [from, to] : ranges) {
        std::vector<Seen> seen;
        bool stopped = qav::ForEachRecordBatchInRange(result_, from, to, [&](const qav::OffsetRecordInfo* batch, int n) {
            EXPECT_GE(n, 1);
            EXPECT_LE(n, qav::kRecordBatch);
            for (int i = 0; i < n; ++i) seen.emplace_back(batch[i].position, batch[i].wordIndex, batch[i].fileNo);
            return false;
        });
        EXPECT_FALSE(stopped);
        EXPECT_EQ(OneByOne(from, to), seen) << from << ".." << to;
    }
}

TEST_F(RecordWalkTest, StoppingEndsTheWalk) {
    // Stopped after the first full batch, and in the last, short one.
    for (int stopAt : {1, 4}) {
        int batches = 0;
        bool stopped = qav::ForEachRecordBatchInRange(result_, 0, 62, [&](const qav::OffsetRecordInfo*, int) {
            return ++batches == stopAt;
        });
        EXPECT_TRUE(stopped);
        EXPECT_EQ(stopAt, batches);
    }
}

}  // namespace
