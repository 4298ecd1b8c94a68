// The offset sorting stage over a built index directory.
#include <gtest/gtest.h>

#include <string>

#include "build_fixture.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/build/sort_offset_stage.h"
#include "qav/index/format/record_compare.h"
#include "qav/index/format/unit_type.h"

namespace {

using qztest::BuildFixture;
using qztest::ReadFile;

// What the comparator saw while the stage ran.
qav::CQAVEngine* g_seenEngine = nullptr;
size_t g_seenDataFiles = 0;

int ByPositionNoting(const void* a, const void* b, void* context) {
    g_seenEngine = qav::g_pCQAVEngine;
    g_seenDataFiles = static_cast<const qav::RecordCompareContext*>(context)->files.size();
    const uint32_t pa = qz::bytes::Load<uint32_t>(static_cast<const unsigned char*>(a));
    const uint32_t pb = qz::bytes::Load<uint32_t>(static_cast<const unsigned char*>(b));
    return pa < pb ? 1 : pa > pb ? -1 : 0;  // descending: the opposite of the offset pass's order
}

qav::SortOffsetStageInput StageInput(const qav::CQAVIdx& idx) {
    qav::SortOffsetStageInput input;
    input.config = &idx.m_Config;
    input.word_list = &idx.m_WordList_W;
    input.units = &idx.m_WordList_U;
    input.merged = &idx.m_Tables.units;
    input.offset_file_count = idx.m_nOffsetFileCount;
    input.order = {ByPositionNoting, ByPositionNoting, ByPositionNoting, nullptr};
    return input;
}

TEST(SortOffsetStage, SortsOverItsOwnDataFilesAndLeavesTheEngineAlone) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"我/r 爱/v 上海/ns", "我/r 爱/v 北京/ns"})},
                     {build.AddFile({"我/r 爱/v 天津/ns"})}});
    ASSERT_TRUE(build.Build());

    for (qav::CQAVEngine* previous : {static_cast<qav::CQAVEngine*>(nullptr), new qav::CQAVEngine()}) {
        qav::g_pCQAVEngine = previous;
        g_seenEngine = nullptr;
        g_seenDataFiles = 0;
        testing::internal::CaptureStdout();
        const bool ok = qav::SortOffsetStage(StageInput(build.idx), build.idx.m_SplitUnitHash);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(ok) << log;
        EXPECT_EQ(previous, qav::g_pCQAVEngine);
        delete previous;
        qav::g_pCQAVEngine = nullptr;

        EXPECT_EQ(0u, log.find("Reading Data...\nSorting Offset...")) << log;
        EXPECT_EQ(previous, g_seenEngine);
        EXPECT_EQ(2u, g_seenDataFiles);
    }
    // The unit 我_v| occurs three times, in both data files, sorted descending.
    const qav::CWord* unit = nullptr;
    for (const qav::CWord& word : build.idx.m_WordList_U.words)
        if (word.text == qztest::Gbk("我_v|")) unit = &word;
    ASSERT_NE(nullptr, unit);
    const std::string bytes = ReadFile(build.idx.m_Config.m_FileInfo.Offset + "_" + std::to_string(unit->file_no) + ".dat");
    uint32_t last = UINT32_MAX;
    for (int i = 0; i < 3; ++i) {
        const qav::CSortIdxUnit record =
            qav::DecodeOffsetRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + unit->offset + i * 8, 8);
        EXPECT_LE(record.position, last);
        last = record.position;
    }
}

TEST(SortOffsetStage, FailsWithoutDataOrOffsetFiles) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"我/r 爱/v 上海/ns"})}});
    ASSERT_TRUE(build.Build());
    testing::internal::CaptureStdout();
    qav::SortOffsetStageInput input = StageInput(build.idx);
    input.offset_file_count = 2;  // file 1 was never made
    EXPECT_FALSE(qav::SortOffsetStage(input, build.idx.m_SplitUnitHash));
    std::remove((build.idx.m_Config.m_FileInfo.Data + "_0.dat").c_str());
    EXPECT_FALSE(qav::SortOffsetStage(StageInput(build.idx), build.idx.m_SplitUnitHash));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(nullptr, qav::g_pCQAVEngine);
}

}  // namespace
