#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "qav/index/build/add_word.h"
#include "qav/index/build/group_regions.h"
#include "qav/index/build/unit_records.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/format/unit_type.h"
#include "support/test_support.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A scratch offset file of zeros.
struct ScratchFile {
    std::unique_ptr<std::FILE, FileCloser> file{std::tmpfile()};
    std::vector<int> fds;

    explicit ScratchFile(size_t size) {
        fds.push_back(fileno(file.get()));
        const std::string zeros(size, '\0');
        std::fwrite(zeros.data(), 1, zeros.size(), file.get());
        std::fflush(file.get());
    }
    std::string Bytes() const {
        std::string bytes;
        std::rewind(file.get());
        for (int c; (c = std::fgetc(file.get())) != EOF;) bytes.push_back(static_cast<char>(c));
        return bytes;
    }
};

// One empty part file per group.
struct PartFiles {
    explicit PartFiles(size_t groups) {
        for (size_t g = 0; g < groups; ++g) files.emplace_back(0);
    }
    std::vector<int> fds() const {
        std::vector<int> fds;
        for (const ScratchFile& file : files) fds.push_back(file.fds[0]);
        return fds;
    }
    std::vector<ScratchFile> files;
};

qav::CWord ListUnit(const std::string& text, int32_t type, int64_t offset) {
    qav::CWord unit;
    unit.text = text;
    unit.type = type;
    unit.offset = offset;
    return unit;
}

qav::IdxUnitEntry Occurrence(const std::string& text, int32_t type, uint32_t position) {
    qav::IdxUnitEntry entry;
    entry.first.text = text;
    entry.first.type = type;
    entry.second = qav::CSortIdxUnit{1, position, 2, 0, 3};
    return entry;
}

// Positions of the records in bytes, from offset on.
std::vector<uint32_t> Positions(const std::string& bytes, int64_t offset, size_t count, int width) {
    std::vector<uint32_t> positions;
    for (size_t i = 0; i < count; ++i)
        positions.push_back(
            qav::DecodeOffsetRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + offset + i * width, width)
                .position);
    return positions;
}

TEST(GroupSlices, RecordsReachTheirSliceInOrderWhateverTheBufferHolds) {
    const uint32_t counts[] = {1, qav::kSliceBufferRecords, 2 * qav::kSliceBufferRecords + 3,
                               2 * qav::kSliceWrites * qav::kSliceBufferRecords + 5};
    const int32_t types[] = {qav::UNIT_ML, qav::UNIT_POS_L};
    for (int32_t type : types) {
        for (uint32_t count : counts) {
            // A lone group writes straight into the offset file when its slice lies where the region does.
            for (bool inPlace : {false, true}) {
                SCOPED_TRACE(std::to_string(type) + " x " + std::to_string(count) + (inPlace ? " in place" : ""));
                const int width = qav::OffsetRecordWidth(type);
                const int64_t offset = inPlace ? 0 : 2 * width;  // else after another unit's region
                qav::CountTable group(11);
                qav::CHashTable merged(11);
                group.Add("u", type, count);
                qav::AddWord(merged, "u", count, type);
                qav::CWordList list;
                list.words = {ListUnit("u", type, offset)};
                qav::ReadyOffsetInfo(merged, list);
                qav::GroupSlices slices(list, merged, 1);
                ASSERT_TRUE(slices.AddGroup(group, 2));
                EXPECT_FALSE(slices.AddGroup(group, 2));  // every group has its slices
                ScratchFile file(offset + size_t{count} * width);
                PartFiles parts(1);
                ASSERT_EQ(slices.WriteInPlace(file.fds[0]), inPlace);
                if (!inPlace) slices.SetPartFiles(parts.fds());

                for (uint32_t i = 0; i < count; ++i) ASSERT_EQ(slices.Add(0, Occurrence("u", type, i)), 1);
                EXPECT_EQ(slices.Add(0, Occurrence("u", type, count)), -1);  // slice full
                EXPECT_EQ(slices.Add(0, Occurrence("v", type, 0)), -1);      // never counted
                ASSERT_TRUE(slices.Close(merged, file.fds, 2));

                EXPECT_EQ(merged.GetHashNode("u", type)->count, count);
                const qav::GroupSlice* slice = slices.Slice(0, "u", type);
                ASSERT_NE(slice, nullptr);
                EXPECT_EQ(slice->records, nullptr);
                EXPECT_EQ(slice->written, count);
                const std::string bytes = file.Bytes();
                ASSERT_EQ(bytes.size(), offset + size_t{count} * width);
                EXPECT_EQ(bytes.substr(0, offset), std::string(offset, '\0'));
                std::vector<uint32_t> expected;
                for (uint32_t i = 0; i < count; ++i) expected.push_back(i);
                EXPECT_EQ(Positions(bytes, offset, count, width), expected);
            }
        }
    }
}

TEST(GroupSlices, FrequentUnitsGetAPartOfTheirRecordsAsBuffer) {
    const std::vector<std::pair<uint32_t, uint32_t>> cases = {
        {0, 0},
        {1, 1},
        {qav::kSliceBufferRecords, qav::kSliceBufferRecords},
        {qav::kSliceBufferRecords * qav::kSliceWrites, qav::kSliceBufferRecords},
        {qav::kSliceBufferRecords * qav::kSliceWrites * 4 + 1, qav::kSliceBufferRecords * 4},
    };
    for (const auto& [count, records] : cases) EXPECT_EQ(qav::SliceBufferRecords(count), records) << count;
}

TEST(GroupSlices, UnitsOutsideTheListGetNoBuffer) {
    qav::CountTable group(11);
    qav::CHashTable merged(11);
    group.Add("pruned", qav::UNIT_ML, 2);
    qav::AddWord(merged, "pruned", 2, qav::UNIT_ML);
    qav::CWordList list;
    PartFiles parts(1);
    qav::GroupSlices slices(list, merged, 1);
    ASSERT_TRUE(slices.AddGroup(group, 1));
    slices.SetPartFiles(parts.fds());
    ASSERT_NE(slices.Slice(0, "pruned", qav::UNIT_ML), nullptr);
    EXPECT_EQ(slices.Slice(0, "pruned", qav::UNIT_ML)->count, 0u);
    EXPECT_EQ(slices.Slice(0, "missing", qav::UNIT_ML), nullptr);
    ScratchFile file(0);
    EXPECT_EQ(slices.Add(0, Occurrence("pruned", qav::UNIT_ML, 0)), -1);
    EXPECT_TRUE(slices.Close(merged, file.fds, 1));
    EXPECT_EQ(file.Bytes(), "");
}

TEST(GroupSlices, ClosingPacksGroupsThatWroteLessThanTheyCounted) {
    const int width = qav::OffsetRecordWidth(qav::UNIT_ML);
    // Group 0 counted 3 and meets 1, group 1 meets all it counted (either
    // held in its buffer or partly written before closing), group 2 never
    // met the unit.
    for (uint32_t secondCount : {2u, qav::kSliceBufferRecords + 2}) {
        SCOPED_TRACE(secondCount);
        qav::CountTable first(11), second(11), third(11);
        qav::CHashTable merged(11);
        first.Add("u", qav::UNIT_ML, 3);
        second.Add("u", qav::UNIT_ML, secondCount);
        third.Add("w", qav::UNIT_ML, 1);
        qav::AddWord(merged, "u", 3 + secondCount, qav::UNIT_ML);
        qav::CWordList list;
        list.words = {ListUnit("u", qav::UNIT_ML, 0)};
        qav::ReadyOffsetInfo(merged, list);
        PartFiles parts(3);
    qav::GroupSlices slices(list, merged, 3);
        for (const qav::CountTable* group : {&first, &second, &third}) ASSERT_TRUE(slices.AddGroup(*group, 1));
        slices.SetPartFiles(parts.fds());
        EXPECT_EQ(slices.Slice(1, "u", qav::UNIT_ML)->offset, 0);  // the group's part holds its slices only
        EXPECT_EQ(slices.Slice(2, "u", qav::UNIT_ML)->count, 0u);  // never counted
        ScratchFile file((3 + secondCount) * width);

        std::vector<uint32_t> expected = {10};
        ASSERT_EQ(slices.Add(0, Occurrence("u", qav::UNIT_ML, 10)), 1);
        EXPECT_EQ(slices.Add(2, Occurrence("u", qav::UNIT_ML, 30)), -1);
        for (uint32_t i = 0; i < secondCount; ++i) {
            ASSERT_EQ(slices.Add(1, Occurrence("u", qav::UNIT_ML, 20 + i)), 1);
            expected.push_back(20 + i);
        }
        EXPECT_EQ(slices.Slice(1, "u", qav::UNIT_ML)->written > 0, secondCount > qav::kSliceBufferRecords);
        ASSERT_TRUE(slices.Close(merged, file.fds, 2));

        EXPECT_EQ(merged.GetHashNode("u", qav::UNIT_ML)->count, 1 + secondCount);
        const std::string bytes = file.Bytes();
        EXPECT_EQ(Positions(bytes, 0, 1 + secondCount, width), expected);
        EXPECT_EQ(bytes.substr((1 + secondCount) * width), std::string(2 * width, '\0'));
    }
}

TEST(GroupSlices, ClosingWritesRegionsThatFollowOneAnotherWhole) {
    // Regions back to back: held whole by two groups, one that a group met
    // less often than it counted (its tail reads as zeros), one partly
    // written during the pass, and small ones after them.
    const int width = qav::OffsetRecordWidth(qav::UNIT_ML);
    const uint32_t large = 2 * qav::kSliceWrites * qav::kSliceBufferRecords;
    struct Unit {
        std::string text;
        uint32_t counted[2];
        uint32_t met[2];
    };
    const std::vector<Unit> units = {{"a", {2, 1}, {2, 1}}, {"b", {3, 2}, {1, 2}}, {"c", {large, 1}, {large, 1}},
                                     {"d", {1, 0}, {1, 0}}, {"e", {0, 3}, {0, 3}}};
    for (int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        qav::CountTable groups[2] = {qav::CountTable(11), qav::CountTable(11)};
        qav::CHashTable merged(11);
        qav::CWordList list;
        int64_t offset = 0;
        for (const Unit& unit : units) {
            for (int g = 0; g < 2; ++g)
                if (unit.counted[g] > 0) groups[g].Add(unit.text, qav::UNIT_ML, unit.counted[g]);
            qav::AddWord(merged, unit.text, unit.counted[0] + unit.counted[1], qav::UNIT_ML);
            list.words.push_back(ListUnit(unit.text, qav::UNIT_ML, offset));
            offset += int64_t{unit.counted[0] + unit.counted[1]} * width;
        }
        qav::ReadyOffsetInfo(merged, list);
        PartFiles parts(2);
    qav::GroupSlices slices(list, merged, 2);
        for (const qav::CountTable& group : groups) ASSERT_TRUE(slices.AddGroup(group, threads));
        slices.SetPartFiles(parts.fds());
        ScratchFile file(static_cast<size_t>(offset));
        // Positions tell the unit, group and occurrence apart.
        std::vector<uint32_t> expected;
        for (size_t u = 0; u < units.size(); ++u) {
            for (uint32_t g = 0; g < 2; ++g) {
                for (uint32_t i = 0; i < units[u].met[g]; ++i) {
                    const uint32_t position = static_cast<uint32_t>(u) * 100000 + g * 10000 + i;
                    ASSERT_EQ(slices.Add(g, Occurrence(units[u].text, qav::UNIT_ML, position)), 1);
                    expected.push_back(position);
                }
            }
            for (uint32_t lost = units[u].met[0] + units[u].met[1]; lost < units[u].counted[0] + units[u].counted[1];
                 ++lost)
                expected.push_back(0);
        }
        ASSERT_TRUE(slices.Close(merged, file.fds, threads));
        EXPECT_EQ(Positions(file.Bytes(), 0, expected.size(), width), expected);
        EXPECT_EQ(merged.GetHashNode("b", qav::UNIT_ML)->count, 3u);
    }
}

TEST(GroupSlices, AStreamedLineReachesTheSlicesOfItsGroupOnly) {
    const int width = qav::OffsetRecordWidth(qav::UNIT_ML);
    qav::CountTable first(11), second(11);
    qav::CHashTable merged(11);
    for (qav::CountTable* table : {&first, &second}) {
        table->Add("u", qav::UNIT_ML, 1);
        table->Add("w", qav::UNIT_ML, 1);
    }
    qav::AddWord(merged, "u", 2, qav::UNIT_ML);
    qav::AddWord(merged, "w", 2, qav::UNIT_ML);
    const int32_t pruned = qav::AddWord(merged, "pruned", 1, qav::UNIT_ML)->id;
    qav::CWordList list;
    list.words = {ListUnit("w", qav::UNIT_ML, 0), ListUnit("u", qav::UNIT_ML, 2 * width)};
    qav::ReadyOffsetInfo(merged, list);
    PartFiles parts(2);
    qav::GroupSlices slices(list, merged, 2);
    ASSERT_TRUE(slices.AddGroup(first, 1));
    ASSERT_TRUE(slices.AddGroup(second, 1));
    slices.SetPartFiles(parts.fds());
    ScratchFile file(4 * width);

    // The second group's table: "u" at place 0, "w" at 1, a unit the list
    // left out at 2; place 3 is past the table. Units without a slice are
    // skipped and the line goes on.
    const std::vector<int32_t> ids = {merged.GetHashNode("u", qav::UNIT_ML)->id,
                                      merged.GetHashNode("w", qav::UNIT_ML)->id, pruned};
    const std::vector<qav::StreamedUnit> line = {{0, 2, 0, 3}, {2, 2, 0, 3}, {3, 2, 0, 3}, {1, 4, 1, 7}};
    EXPECT_TRUE(slices.AddLine(1, line, ids, 1, 5));
    EXPECT_EQ(slices.Slice(0, "u", qav::UNIT_ML)->stored, 0u);
    EXPECT_EQ(slices.Slice(1, "u", qav::UNIT_ML)->stored, 1u);
    ASSERT_TRUE(slices.Close(merged, file.fds, 1));

    // The first group met nothing, so the second's records move to the regions' starts.
    const std::string bytes = file.Bytes();
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const qav::CSortIdxUnit w = qav::DecodeOffsetRecord(at, width);
    EXPECT_EQ(std::make_tuple(w.file_no, w.position, w.index, w.clause, w.span),
              std::make_tuple(uint8_t{1}, 5u, int16_t{4}, uint8_t{1}, uint8_t{7}));
    EXPECT_EQ(Positions(bytes, 2 * width, 1, width), std::vector<uint32_t>{5});
    EXPECT_EQ(merged.GetHashNode("u", qav::UNIT_ML)->count, 1u);
    EXPECT_EQ(bytes.substr(width, width), std::string(width, '\0'));
}

TEST(GroupSlices, APartThatCannotBeReadBackFailsClosing) {
    qav::CountTable group(11);
    qav::CHashTable merged(11);
    group.Add("u", qav::UNIT_ML, 2);
    qav::AddWord(merged, "u", 2, qav::UNIT_ML);
    qav::CWordList list;
    list.words = {ListUnit("u", qav::UNIT_ML, 0)};
    qav::ReadyOffsetInfo(merged, list);
    qav::GroupSlices slices(list, merged, 1);
    ASSERT_TRUE(slices.AddGroup(group, 1));
    qztest::TempDir dir;
    const int writeOnly = open(dir.file("part").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(writeOnly, 0);
    slices.SetPartFiles({writeOnly});
    ASSERT_EQ(slices.Add(0, Occurrence("u", qav::UNIT_ML, 1)), 1);

    ScratchFile file(2 * qav::OffsetRecordWidth(qav::UNIT_ML));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(slices.Close(merged, file.fds, 1));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("WriteOffset2File Error"), std::string::npos);
    close(writeOnly);
}

}  // namespace
