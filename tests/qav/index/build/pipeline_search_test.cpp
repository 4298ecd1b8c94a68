// A built index searched as atom search does: bisection over each unit's
// sorted records must find exactly the records that a linear scan finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "pipeline_fixture.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/engine_views.h"
#include "qav/index/format/offset_record_fields.h"
#include "qav/search/atom/record_search.h"
#include "qav/service/engines.h"

namespace {

using qztest::BuildIndex;
using qztest::PipelineConfig;
using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteAt;

int RecordWidth(qav::UnitType kind) { return kind == qav::UNIT_ML ? 9 : 8; }

// The query of the first `words` words of a record's context, in reading
// order; false when the context has fewer real words.
bool ContextQuery(const qav::RecordCompareContext& ctx, const qav::RecordContextStart& start, int words,
                  qav::CAtomSearchQuery& query) {
    std::vector<uint32_t> ids;
    for (int k = 0; k < words; ++k) {
        const int64_t at = start.start + (start.leftward ? -k : k);
        if (at < 0 || at >= static_cast<int64_t>(start.file->count)) return false;
        const uint32_t id = start.file->words[at];
        const std::string* text = ctx.WordText(id);
        if (!text) return false;
        ids.push_back(id);
    }
    if (start.leftward) std::reverse(ids.begin(), ids.end());
    query.ids = ids;
    query.pattern.clear();
    for (uint32_t id : ids) query.pattern += *ctx.WordText(id);
    return true;
}

TEST(BuiltIndexSearch, BisectionFindsExactlyTheRecordsAScanFinds) {
    TempDir tmp;
    const std::string dir = tmp.file("index");
    ASSERT_EQ(1, BuildIndex(WriteAt(tmp, "config.json", PipelineConfig(",\"ThreadNum_Sort\":8")),
                            qztest::SampleCorpusList(tmp, "sample"), dir));
    testing::internal::CaptureStdout();
    const bool started = qav::GlobalInit("config.txt", dir);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(started);
    const qav::CQAVEngine& engine = *qav::g_pCQAVEngine;
    const qav::RecordCompareContext ctx = MakeRecordCompareContext(engine);
    std::map<int, std::string> offsetFiles;

    int64_t queries = 0;
    for (const qav::CHashNode* unit : engine.m_unitTable.unit_list) {
        const qav::UnitType kind = unit->type;
        if (unit->count == 0 || (kind != qav::UNIT_POS_L && kind != qav::UNIT_POS_R && kind != qav::UNIT_ML)) continue;
        if (!offsetFiles.count(unit->file_no))
            offsetFiles[unit->file_no] = ReadFile(dir + "/Offset_" + std::to_string(unit->file_no) + ".dat");
        const std::string& file = offsetFiles[unit->file_no];
        const int64_t count = unit->count;
        ASSERT_LE(static_cast<size_t>(unit->offset + count * RecordWidth(kind)), file.size()) << unit->name;
        const auto* records = reinterpret_cast<const unsigned char*>(file.data() + unit->offset);

        // Three records of each unit, one of the largest units (each query scans them all).
        std::vector<int64_t> samples{count / 2};
        if (count <= 1000) samples = {0, count / 2, count - 1};
        for (int64_t sample : samples) {
            qav::RecordContextStart start;
            if (!qav::GetRecordContextStart(ctx, records + sample * RecordWidth(kind), kind, start)) continue;
            for (int words = 1; words <= ctx.sortCompWordLen; ++words) {
                qav::CAtomSearchQuery query;
                query.type = kind;
                if (!ContextQuery(ctx, start, words, query)) break;
                int64_t first = -1;
                int64_t last = -1;
                int64_t matches = 0;
                for (int64_t i = 0; i < count; ++i) {
                    int cmp = 1;
                    qav::CmpFunc(ctx, records, i, query.pattern, query.ids.data(), query.idCount(), kind, cmp, 0,
                            count - 1);
                    if (cmp != 0) continue;
                    if (first < 0) first = i;
                    last = i;
                    ++matches;
                }
                ASSERT_EQ(last - first + 1, matches) << unit->name << ": matches not contiguous";
                int64_t low = -1;
                int64_t high = -1;
                ASSERT_TRUE(qav::GetLowHigh(ctx, records, count, query, kind, low, high)) << unit->name;
                ASSERT_EQ(first, low) << unit->name << " with " << words << " words";
                ASSERT_EQ(last, high) << unit->name << " with " << words << " words";
                ++queries;
            }
        }
    }
    EXPECT_GT(queries, 10000);
    qav::GlobalExit();
}

}  // namespace
