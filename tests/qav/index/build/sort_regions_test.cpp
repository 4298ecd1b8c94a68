// Sorting the unit regions of offset files: chunking, batches, write-back at
// each unit's own region and chunk units. The record order here is a plain
// position order, so these tests are about where records go, not about
// context comparison.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "qav/index/build/add_word.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/build/sort_chunks.h"
#include "qav/index/build/sort_regions.h"
#include "support/test_support.h"

namespace {

using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteFile;

int ByPosition(const void* a, const void* b, void*) {
    const uint32_t pa = qz::bytes::Load<uint32_t>(static_cast<const unsigned char*>(a));
    const uint32_t pb = qz::bytes::Load<uint32_t>(static_cast<const unsigned char*>(b));
    return pa < pb ? -1 : pa > pb ? 1 : 0;
}

std::string Record(uint32_t position, int type, uint8_t fileNo = 0, int16_t index = 0) {
    const int width = qav::OffsetRecordWidth(type);
    std::string bytes(width, '\0');
    qav::CSortIdxUnit unit;
    unit.position = position;
    unit.index = index;
    unit.file_no = fileNo;
    unit.span = 7;
    qav::EncodeOffsetRecord(unit, width, reinterpret_cast<unsigned char*>(bytes.data()));
    return bytes;
}

std::vector<uint32_t> Positions(const std::string& bytes, size_t at, size_t count, int width) {
    std::vector<uint32_t> positions;
    for (size_t i = 0; i < count; ++i)
        positions.push_back(qz::bytes::Load<uint32_t>(reinterpret_cast<const unsigned char*>(bytes.data()) + at + i * width));
    return positions;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A unit list, its merged hash and one offset file, sorted by position.
class Regions {
public:
    explicit Regions(const std::string& path) : path_(path) {}

    // A unit whose region holds counted records, of which the given ones
    // were written; regions follow each other in the file.
    void AddUnit(const std::string& text, int type, uint32_t counted, const std::vector<std::string>& written) {
        qav::CWord unit;
        unit.text = text;
        unit.type = type;
        unit.count = static_cast<int32_t>(counted);
        unit.offset = static_cast<int64_t>(bytes_.size());
        units_.words.push_back(unit);
        qav::AddWord(merged_, text, static_cast<uint32_t>(written.size()), type);
        std::string region;
        for (const std::string& record : written) region += record;
        region.resize(size_t{counted} * qav::OffsetRecordWidth(type), '\0');
        bytes_ += region;
    }

    bool Sort(int threads, int64_t chunkLimit, const char* mode = "rb+") {
        WriteFile(path_, bytes_);
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path_.c_str(), mode));
        qav::SortRegionsInput input;
        input.units = &units_;
        input.merged = &merged_;
        input.offset_files = {file.get()};
        input.corpus = &corpus_;
        input.order = {ByPosition, ByPosition, ByPosition, nullptr};
        input.threads = threads;
        input.max_unit_count_to_sort = chunkLimit;
        testing::internal::CaptureStdout();
        const bool ok = qav::SortUnitRegions(input, split);
        log = testing::internal::GetCapturedStdout();
        return ok;
    }

    std::string Sorted() const { return ReadFile(path_); }
    int64_t OffsetOf(size_t unit) const { return units_.words[unit].offset; }

    qav::CHashTable split{1024};
    std::string log;

private:
    std::string path_;
    std::string bytes_;
    qav::CWordList units_;
    qav::CHashTable merged_{1024};
    // One data file of 100,000 words: every position below that is valid.
    qav::RecordCompareContext corpus_{{{nullptr, 100000}}, nullptr, qav::kLanguageChinese, 10};
};

TEST(SortChunks, CutsAtTheLimitAndKeepsUpToOneAndAHalfLimitsTogether) {
    struct Case {
        uint32_t count;
        int64_t configured;
        std::vector<uint32_t> chunks;
    };
    const Case cases[] = {
        {240, 100, {100, 140}},
        {250, 100, {100, 100, 50}},
        {149, 100, {149}},
        {150, 100, {100, 50}},
        {100, 100, {100}},
        {0, 100, {}},
        // Limits that are not a positive 32-bit count mean the default.
        {5, 0, {5}},
        {5, -3, {5}},
        {5, int64_t{1} << 32, {5}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.chunks, qav::CutIntoChunks(c.count, qav::SortChunkLimit(c.configured)))
            << c.count << " records, limit " << c.configured;
    EXPECT_EQ(qav::kDefaultSortChunkLimit, qav::SortChunkLimit(0));
    EXPECT_EQ(100u, qav::SortChunkLimit((int64_t{1} << 32) + 100));
}

TEST(SortRegions, EachUnitIsWrittenBackAtItsOwnRegion) {
    // The first unit was counted three times but met twice: its region ends
    // with an unused record, and the next unit's region starts after it.
    for (int threads : {1, 4}) {
        TempDir dir;
        Regions regions(dir.file("Offset_0.dat"));
        regions.AddUnit("a_v|", 3, 3, {Record(900, 3), Record(700, 3)});
        regions.AddUnit("|v_b", 4, 2, {Record(800, 4), Record(600, 4)});
        regions.AddUnit("$NP_c", 5, 2, {Record(650, 5), Record(640, 5)});
        ASSERT_TRUE(regions.Sort(threads, 100)) << regions.log;

        const std::string sorted = regions.Sorted();
        ASSERT_EQ(24u + 16u + 18u, sorted.size());
        EXPECT_EQ(Record(700, 3) + Record(900, 3) + std::string(8, '\0'), sorted.substr(0, 24)) << threads;
        EXPECT_EQ(Record(600, 4) + Record(800, 4), sorted.substr(24, 16)) << threads;
        EXPECT_EQ(Record(640, 5) + Record(650, 5), sorted.substr(40, 18)) << threads;
        EXPECT_EQ(0u, regions.split.node_count());
    }
}

TEST(SortRegions, LargeUnitsAreSortedInChunksThatBecomeChunkUnits) {
    TempDir dir;
    Regions regions(dir.file("Offset_0.dat"));
    const uint32_t sizes[] = {250, 240, 149};
    const char* names[] = {"x_v|", "|v_y", "$VP_z"};
    const int types[] = {3, 4, 5};
    for (int u = 0; u < 3; ++u) {
        std::vector<std::string> records;
        for (uint32_t i = 0; i < sizes[u]; ++i) records.push_back(Record(1000 - i, types[u]));
        regions.AddUnit(names[u], types[u], sizes[u], records);
    }
    ASSERT_TRUE(regions.Sort(2, 100)) << regions.log;
    const std::string sorted = regions.Sorted();

    struct Chunk {
        const char* name;
        int unit;
        uint32_t before;
        uint32_t count;
    };
    const Chunk chunks[] = {{"x_v|_0", 0, 0, 100}, {"x_v|_1", 0, 100, 100}, {"x_v|_2", 0, 200, 50},
                            {"|v_y_0", 1, 0, 100}, {"|v_y_1", 1, 100, 140}};
    for (const Chunk& c : chunks) {
        const int width = qav::OffsetRecordWidth(types[c.unit]);
        const qav::CHashNode* node = regions.split.GetHashNode(c.name, types[c.unit]);
        ASSERT_NE(nullptr, node) << c.name;
        EXPECT_EQ(c.count, node->count) << c.name;
        const int64_t start = regions.OffsetOf(c.unit) + int64_t{c.before} * width;
        EXPECT_EQ(start, node->offset) << c.name;
        EXPECT_EQ(0, node->file_no);
        // Each chunk is a sorted run of its own; chunks are not merged.
        std::vector<uint32_t> expected;
        for (uint32_t i = 0; i < c.count; ++i) expected.push_back(1000 - (c.before + c.count - 1) + i);
        EXPECT_EQ(expected, Positions(sorted, static_cast<size_t>(start), c.count, width)) << c.name;
    }
    // 149 records stay one chunk: no chunk units.
    EXPECT_EQ(5u, regions.split.node_count());
    EXPECT_EQ(nullptr, regions.split.GetHashNode("$VP_z_0"));
    EXPECT_EQ(1000u - 148, Positions(sorted, static_cast<size_t>(regions.OffsetOf(2)), 1, 9)[0]);
}

TEST(SortRegions, LargeRegionsSortTheSameWithAnyThreadCount) {
    // Regions large enough to be handed to sorting threads, one so large that
    // its own parts are spread over them, next to small ones sorted in place;
    // batches of several units span them.
    struct Unit {
        const char* name;
        int type;
        uint32_t records;
        std::vector<uint32_t> runs;  // sorted runs the region must hold
    };
    const Unit units[] = {
        {"a_v|", 3, 120000, {50000, 70000}},
        {"|v_b", 4, 6000, {6000}},
        {"$NP_c", 5, 30, {30}},
        {"d_v|", 3, 300, {300}},
        {"|v_e", 4, 7, {7}},
    };
    std::string first;
    for (int threads : {1, 3, 8}) {
        TempDir dir;
        Regions regions(dir.file("Offset_0.dat"));
        std::mt19937 random(5);
        std::vector<std::vector<uint32_t>> positions;
        for (const Unit& unit : units) {
            positions.emplace_back();
            std::vector<std::string> records;
            for (uint32_t i = 0; i < unit.records; ++i) {
                positions.back().push_back(random() % 100000);
                records.push_back(Record(positions.back().back(), unit.type));
            }
            regions.AddUnit(unit.name, unit.type, unit.records, records);
        }
        ASSERT_TRUE(regions.Sort(threads, 50000)) << regions.log;
        const std::string sorted = regions.Sorted();
        for (size_t u = 0; u < positions.size(); ++u) {
            const int width = qav::OffsetRecordWidth(units[u].type);
            size_t before = 0;
            for (uint32_t run : units[u].runs) {
                std::vector<uint32_t> expected(positions[u].begin() + before, positions[u].begin() + before + run);
                std::sort(expected.begin(), expected.end());
                EXPECT_EQ(expected, Positions(sorted, regions.OffsetOf(u) + before * width, run, width))
                    << units[u].name << " from " << before << ", " << threads << " threads";
                before += run;
            }
        }
        EXPECT_EQ(2u, regions.split.node_count());
        if (first.empty()) first = sorted;
        EXPECT_EQ(first, sorted) << threads << " threads";
    }
}

TEST(SortRegions, RecordsPointingOutsideTheCorpusAreZeroed) {
    TempDir dir;
    Regions regions(dir.file("Offset_0.dat"));
    regions.AddUnit("a_v|", 3, 3, {Record(50, 3, 0, 4), Record(40, 3, 3, 4), Record(200000, 3, 0, 4)});
    ASSERT_TRUE(regions.Sort(1, 100));
    EXPECT_EQ(std::string(16, '\0') + Record(50, 3, 0, 4), regions.Sorted());
}

TEST(SortRegions, UnreadableOrUnwritableRegionsFailTheStage) {
    {
        // Two records written for a unit whose region, the last of the file,
        // holds one: the second cannot be read.
        TempDir dir;
        Regions regions(dir.file("Offset_0.dat"));
        regions.AddUnit("a_v|", 3, 1, {Record(9, 3), Record(5, 3)});
        EXPECT_FALSE(regions.Sort(1, 100));
        EXPECT_EQ(Record(9, 3), regions.Sorted());
    }
    {
        // Written back through a handle that cannot write.
        TempDir dir;
        Regions regions(dir.file("Offset_0.dat"));
        regions.AddUnit("a_v|", 3, 2, {Record(9, 3), Record(5, 3)});
        EXPECT_FALSE(regions.Sort(1, 100, "rb"));
        EXPECT_NE(std::string::npos, regions.log.find("Write2File Error!\n"));
    }
}

}  // namespace
