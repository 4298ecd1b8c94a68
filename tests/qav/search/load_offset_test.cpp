#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qav/index/engine/qav_engine.h"
#include "qav/index/format/offset_record_fields.h"
#include "qav/index/format/unit_type.h"
#include "search_fixture.h"

using searchtest::Record;

namespace {

// n records of the given width whose sentence positions are first, first + 1, ...
std::string Records(uint32_t first, int n, int width) {
    std::string bytes;
    for (int i = 0; i < n; ++i) {
        const auto r = Record(first + i, static_cast<int16_t>(-i), 3, static_cast<uint8_t>(i), width,
                              static_cast<uint8_t>(10 + i));
        bytes.append(r.begin(), r.end());
    }
    return bytes;
}

// Replaces a file by a new one (a new inode), as a rebuilt index does.
void ReplaceFile(const qztest::TempDir& dir, const std::string& name, const std::string& bytes) {
    qztest::WriteFile(dir.file(name + ".new"), bytes);
    ASSERT_EQ(std::rename(dir.file(name + ".new").c_str(), dir.file(name).c_str()), 0);
}

class LoadOffsetTest : public ::testing::Test {
protected:
    qztest::TempDir dir;
    qav::CQAVEngine engine;
    std::unique_ptr<unsigned char[]> records;

    void SetUp() override {
        qztest::WriteFile(dir.file("Offset_0.dat"), Records(100, 3, 8));
        qztest::WriteFile(dir.file("Offset_1.dat"), "12345" + Records(200, 2, 9));
        engine.m_config.m_FileInfo.Offset = dir.file("Offset");
        ASSERT_TRUE(engine.OffsetFileHandleInit());
    }
};

TEST_F(LoadOffsetTest, ReadsRecordsOfTheKindsWidthAndCountsThem) {
    ASSERT_TRUE(engine.LoadOffset(8, 2, records, qav::UNIT_POS_R, 0));
    EXPECT_EQ(qav::GetOffset(records.get()), 101u);
    EXPECT_EQ(qav::GetPOS(records.get()), -1);
    EXPECT_EQ(qav::GetFileNo(records.get()), 3);
    EXPECT_EQ(qav::GetClauseNo(records.get()), 1);
    EXPECT_EQ(qav::GetOffset(records.get() + 8), 102u);
    EXPECT_EQ(engine.m_loadedRecords.load(), 2);

    ASSERT_TRUE(engine.LoadOffset(5, 2, records, qav::UNIT_HZ_R, 1));  // complex kinds read 9-byte records
    EXPECT_EQ(qav::GetOffset(records.get() + 9), 201u);
    EXPECT_EQ(qav::GetDist(records.get() + 9), 11);
    EXPECT_EQ(engine.m_loadedRecords.load(), 4);
}

TEST_F(LoadOffsetTest, FailedLoadsLeaveNoRecordsAndDoNotCount) {
    const struct Case {
        const char* what;
        int64_t offset;
        int64_t count;
        int fileNo;
    } cases[] = {
        {"short read", 16, 2, 0},
        {"past the end", 24, 1, 0},
        {"no such offset file", 0, 1, 2},
        {"negative offset", -8, 1, 0},
    };
    for (const Case& c : cases) {
        records.reset(new unsigned char[1]);
        EXPECT_FALSE(engine.LoadOffset(c.offset, c.count, records, qav::UNIT_POS_L, c.fileNo)) << c.what;
        EXPECT_EQ(records, nullptr) << c.what;
    }
    EXPECT_EQ(engine.m_loadedRecords.load(), 0);
}

TEST_F(LoadOffsetTest, ThreadHandlesFollowTheEnginesOffsetFiles) {
    // The first load of a thread opens every offset file.
    ASSERT_TRUE(engine.LoadOffset(0, 1, records, qav::UNIT_POS_L, 0));
    ReplaceFile(dir, "Offset_1.dat", "12345" + Records(900, 2, 9));
    ASSERT_TRUE(engine.LoadOffset(5, 1, records, qav::UNIT_ML, 1));
    EXPECT_EQ(qav::GetOffset(records.get()), 200u);

    // Restarted on the rebuilt files, the same thread reads the new ones.
    ASSERT_TRUE(engine.OffsetFileHandleInit());
    ASSERT_TRUE(engine.LoadOffset(5, 1, records, qav::UNIT_ML, 1));
    EXPECT_EQ(qav::GetOffset(records.get()), 900u);
}

TEST(LoadOffset, ConcurrentLoadsReadTheirOwnRegions) {
    qztest::TempDir dir;
    constexpr int kRecords = 4000;
    qztest::WriteFile(dir.file("Offset_0.dat"), Records(0, kRecords, 8));
    qav::CQAVEngine engine;
    engine.m_config.m_FileInfo.Offset = dir.file("Offset");
    ASSERT_TRUE(engine.OffsetFileHandleInit());

    std::vector<std::thread> threads;
    std::vector<int> wrong(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&engine, &wrong, t] {
            for (int i = 0; i < 200; ++i) {
                const int first = (t * 997 + i * 131) % (kRecords - 10);
                std::unique_ptr<unsigned char[]> mine;
                if (!engine.LoadOffset(static_cast<int64_t>(first) * 8, 10, mine, qav::UNIT_POS_L, 0) ||
                    qav::GetOffset(mine.get()) != static_cast<uint32_t>(first) ||
                    qav::GetOffset(mine.get() + 72) != static_cast<uint32_t>(first + 9))
                    ++wrong[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(8, 0));
    EXPECT_EQ(engine.m_loadedRecords.load(), 8 * 200 * 10);
}

}  // namespace
