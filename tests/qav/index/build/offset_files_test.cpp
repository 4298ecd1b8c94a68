#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "build_fixture.h"
#include "qav/index/build/add_word.h"
#include "qav/index/format/index_files.h"
#include "common/text/line_reader.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/build/unit_records.h"
#include "common/platform/zq_files.h"
#include "qav/index/format/unit_type.h"

namespace {

using qztest::BuildFixture;
using qztest::Gbk;
using qztest::ReadFile;

qav::CWord Unit(const std::string& text, int type, int count) {
    qav::CWord unit;
    unit.text = text;
    unit.type = type;
    unit.count = count;
    return unit;
}

bool Quiet(bool (qav::CQAVIdx::*stage)(), qav::CQAVIdx& idx) {
    testing::internal::CaptureStdout();
    bool ok = (idx.*stage)();
    testing::internal::GetCapturedStdout();
    return ok;
}

bool QuietBuild(BuildFixture& build) {
    testing::internal::CaptureStdout();
    bool ok = build.Build();
    testing::internal::GetCapturedStdout();
    return ok;
}

std::string OffsetFile(const BuildFixture& build, int n) {
    return ReadFile(qav::DatFilePath(build.idx.m_Config.m_FileInfo.Offset, n));
}

struct RegionCase {
    const char* name;
    int64_t limit;
    std::vector<qav::CWord> units;
    std::vector<size_t> file_sizes;
    std::vector<std::pair<int, int64_t>> places;  // file and offset of each unit
};

TEST(WriteInitOffset, RegionsFollowCountsWidthsAndTheFileLimit) {
    const std::vector<RegionCase> cases = {
        {"one file", 2147483648LL, {Unit("a", 4, 3), Unit("b", 5, 3)}, {51}, {{0, 0}, {0, 24}}},
        {"limit 0", 0, {Unit("a", 3, 3), Unit("b", 5, 3)}, {24, 27}, {{0, 0}, {1, 0}}},
        {"limit reached, not exceeded",
         24,
         {Unit("a", 4, 3), Unit("b", 4, 3), Unit("c", 5, 1)},
         {48, 9},
         {{0, 0}, {0, 24}, {1, 0}}},
    };
    for (const RegionCase& c : cases) {
        SCOPED_TRACE(c.name);
        BuildFixture build;
        build.idx.m_Config.m_SizeInfo.MaxOffsetFileSize = c.limit;
        build.idx.m_WordList_U.words = c.units;
        ASSERT_TRUE(Quiet(&qav::CQAVIdx::WriteInitOffset, build.idx));
        ASSERT_EQ(build.idx.m_nOffsetFileCount, c.file_sizes.size());
        for (size_t n = 0; n < c.file_sizes.size(); ++n)
            EXPECT_EQ(OffsetFile(build, n), std::string(c.file_sizes[n], '\0'));
        EXPECT_FALSE(zq_isfile(qav::DatFilePath(build.idx.m_Config.m_FileInfo.Offset, c.file_sizes.size()).c_str()));
        for (size_t i = 0; i < c.units.size(); ++i) {
            const qav::CWord& unit = build.idx.m_WordList_U.words[i];
            EXPECT_EQ(std::make_pair(static_cast<int>(unit.file_no), unit.offset), c.places[i]) << i;
        }
    }
}

TEST(WriteInitOffset, FileNumbersStopAt254AndLaterRegionsAppendToIt) {
    BuildFixture build;
    build.idx.m_Config.m_SizeInfo.MaxOffsetFileSize = 0;
    for (int i = 0; i < 300; ++i) build.idx.m_WordList_U.words.push_back(Unit("u" + std::to_string(i), 3, 1));
    // An offset file left by an earlier build beyond the new count is removed.
    qztest::WriteFile(qav::DatFilePath(build.idx.m_Config.m_FileInfo.Offset, 254), std::string(100, 'x'));
    testing::internal::CaptureStdout();
    ASSERT_TRUE(build.idx.WriteInitOffset());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Offset file 254 is the last one"), std::string::npos);
    EXPECT_EQ(build.idx.m_nOffsetFileCount, 255);
    EXPECT_EQ(OffsetFile(build, 253).size(), 8u);
    EXPECT_EQ(OffsetFile(build, 254).size(), (300u - 254u) * 8u);
    EXPECT_FALSE(zq_isfile(qav::DatFilePath(build.idx.m_Config.m_FileInfo.Offset, 255).c_str()));
    const qav::CWord& last = build.idx.m_WordList_U.words.back();
    EXPECT_EQ(std::make_pair(static_cast<int>(last.file_no), last.offset),
              std::make_pair(254, int64_t{(299 - 254) * 8}));
}

// Runs stage with files limited to limit bytes; exit code 3 when it failed
// and logged message.
template <typename Stage>
[[noreturn]] void RunUnderSizeLimit(rlim_t limit, Stage stage, const char* message) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit sizes{limit, limit};
    setrlimit(RLIMIT_FSIZE, &sizes);
    testing::internal::CaptureStdout();
    const bool ok = stage();
    const std::string log = testing::internal::GetCapturedStdout();
    std::_Exit(!ok && log.find(message) != std::string::npos ? 3 : 0);
}

TEST(WriteInitOffsetDeathTest, ShortWriteFailsTheStage) {
    BuildFixture build;
    build.idx.m_WordList_U.words = {Unit("a", 4, 100000)};
    EXPECT_EXIT(RunUnderSizeLimit(65536, [&] { return build.idx.WriteInitOffset(); }, "WriteInitOffset Error!\n"),
                testing::ExitedWithCode(3), "");
}

TEST(WriteInitOffset, WordListFileHasTheSizeOfItsEntries) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"我/r 爱/v 上海/ns", "上海/ns 很/d 大/a"})}});
    ASSERT_TRUE(QuietBuild(build));
    uint64_t expected = 4;
    for (const qav::CWord& word : build.idx.m_WordList_W.words) expected += (8 + word.text.size()) + (4 + word.text.size());
    EXPECT_EQ(ReadFile(build.idx.m_Config.m_FileInfo.WordList).size(), expected);
    EXPECT_EQ(build.idx.m_WordList_W.length(), 4 + 5);
}

// Five groups of lines that share words, so units have records from several groups.
void AddCorpus(BuildFixture& build) {
    std::vector<std::vector<std::string>> groups;
    for (int g = 0; g < 5; ++g) {
        std::vector<std::string> files;
        for (int f = 0; f < 2; ++f) {
            const std::string k = std::to_string(g * 2 + f);
            files.push_back(build.AddFile({"我/r 爱/v 上海/ns", "他" + k + "/r 爱/v 北京/ns ，/w 也/d 爱/v 上海/ns",
                                           "[IP [NP [中国 NR]] [VP [发展 VV]]]"},
                                          100 * (g * 2 + f)));
        }
        groups.push_back(files);
    }
    build.SetGroups(groups);
    build.idx.m_KindGroups.assign(5, {1, 1});
}

TEST(CreateOffset, BatchSizeDoesNotChangeAnyFile) {
    std::vector<std::string> outputs[2];
    const int batchSizes[2] = {1, 4};
    for (int run = 0; run < 2; ++run) {
        BuildFixture build;
        AddCorpus(build);
        build.idx.m_Config.m_SizeInfo.ThreadNum_Offset = batchSizes[run];
        build.idx.m_Config.m_SizeInfo.MaxOffsetFileSize = 200;
        ASSERT_TRUE(QuietBuild(build));
        ASSERT_GT(build.idx.m_nOffsetFileCount, 1);
        const qav::CFileInfo& files = build.idx.m_Config.m_FileInfo;
        for (int n = 0; n < build.idx.m_nOffsetFileCount; ++n) outputs[run].push_back(OffsetFile(build, n));
        for (int g = 0; g < 5; ++g) {
            outputs[run].push_back(ReadFile(qav::DatFilePath(files.Data, g)));
            outputs[run].push_back(ReadFile(qav::IdFilePath(files.DataInInfo, g)));
        }
        // Every counted occurrence was written.
        for (const qav::CWord& unit : build.idx.m_WordList_U.words)
            EXPECT_EQ(build.UnitCount(qztest::Utf8(unit.text), unit.type), static_cast<uint32_t>(unit.count));
    }
    EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(CreateOffset, RecordsFollowGroupAndLineOrder) {
    BuildFixture build;
    AddCorpus(build);
    build.idx.m_Config.m_SizeInfo.ThreadNum_Offset = 2;
    ASSERT_TRUE(QuietBuild(build));
    // "|r_爱": the first sentence of every file, and 他k/r 爱/v of the second.
    const qav::CHashNode* node = build.idx.m_Tables.units.GetHashNode(Gbk("|r_爱"), qav::UNIT_POS_R);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->count, 20u);
    const std::string file = OffsetFile(build, node->file_no);
    using Record = std::tuple<int, uint32_t, int>;  // data file, position, word index
    std::vector<Record> records;
    for (uint32_t i = 0; i < node->count; ++i) {
        qav::CSortIdxUnit r =
            qav::DecodeOffsetRecord(reinterpret_cast<const unsigned char*>(file.data()) + node->offset + 8 * i, 8);
        records.emplace_back(r.file_no, r.position, r.index);
    }
    // Group 0: lines 1 and 2 of its two files; each sentence takes its words and a closing "|".
    const std::vector<Record> group0 = {{0, 512, 0}, {0, 516, 0}, {0, 527, 0}, {0, 531, 0}};
    EXPECT_EQ(std::vector<Record>(records.begin(), records.begin() + 4), group0);
    EXPECT_EQ(std::get<0>(records[4]), 1);
    EXPECT_EQ(std::get<0>(records.back()), 4);
    // A clause separator raises the clause number: 也/d 爱/v after "，".
    const qav::CHashNode* after = build.idx.m_Tables.units.GetHashNode(Gbk("|d_爱"), qav::UNIT_POS_R);
    ASSERT_NE(after, nullptr);
    qav::CSortIdxUnit r = qav::DecodeOffsetRecord(
        reinterpret_cast<const unsigned char*>(OffsetFile(build, after->file_no).data()) + after->offset, 8);
    EXPECT_EQ(std::make_tuple(r.position, r.index, r.clause), std::make_tuple(516u, int16_t{4}, uint8_t{1}));
}

TEST(CreateOffset, IdentifierLinesHoldSentenceKeyAndLineNumber) {
    BuildFixture build;
    build.SetGroups(
        {{build.AddFile({"甲/a 乙/b"}, 0)}, {build.AddFile({"甲/a"}, 5)}, {build.AddFile({"丙/c 丁/d", "甲/a"}, 17)}});
    ASSERT_TRUE(QuietBuild(build));
    const qav::CFileInfo& files = build.idx.m_Config.m_FileInfo;
    EXPECT_EQ(ReadFile(qav::IdFilePath(files.DataInInfo, 2)), "8589935104\t17\n8589935107\t18\n");
    EXPECT_EQ(ReadFile(qav::IdFilePath(files.DataInInfo, 0)), "512\t0\n");
    const std::string data = ReadFile(qav::DatFilePath(files.Data, 2));
    EXPECT_EQ(data.size(), 4096u + 4 * (3 + 2));
    EXPECT_EQ(data.substr(0, 4), "HEAD");
    EXPECT_EQ(data.substr(data.size() - 58, 4), "Tail");
}

// The offset pass takes the lines as the counting pass saw them: a text
// changed in between cannot leave counted records unwritten.
TEST(CreateOffset, TextChangedAfterCountingDoesNotReachTheIndex) {
    BuildFixture build;
    const std::string path = build.AddFile({"我/r 爱/v 上海/ns", "我/r 爱/v 北京/ns"});
    build.SetGroups({{path}});
    testing::internal::CaptureStdout();
    ASSERT_TRUE(build.Count());
    ASSERT_TRUE(build.idx.WriteInitOffset());
    qztest::WriteFile(path, "0\t" + Gbk("我/r 爱/v 上海/ns") + "\n");
    ASSERT_TRUE(build.idx.CreateOffset());
    testing::internal::GetCapturedStdout();

    const qav::CHashNode* node = build.idx.m_Tables.units.GetHashNode(Gbk("|r_爱"), qav::UNIT_POS_R);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->count, 2u);
    const std::string offsets = OffsetFile(build, 0);
    const auto* region = reinterpret_cast<const unsigned char*>(offsets.data()) + node->offset;
    EXPECT_EQ(qav::DecodeOffsetRecord(region, 8).position, 512u);
    EXPECT_EQ(qav::DecodeOffsetRecord(region + 8, 8).position, 516u);
}

// The identifiers of a data file as words (UTF-8), blocks left out.
std::vector<std::string> DataWords(const BuildFixture& build, int group) {
    const std::string data = ReadFile(qav::DatFilePath(build.idx.m_Config.m_FileInfo.Data, group));
    std::vector<std::string> words;
    for (size_t at = 2048; at + 2048 < data.size(); at += 4) {
        uint32_t id;
        std::memcpy(&id, data.data() + at, 4);
        const qav::CWord* word = build.idx.m_WordList_W.No2Word(id);
        words.push_back(word ? qztest::Utf8(word->text) : "?");
    }
    return words;
}

TEST(CreateOffset, PrunedUnitsGetNoRegionWhileEveryWordKeepsItsIdentifier) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"甲/a 乙/b 丙/c", "甲/a 乙/b 丁/d", "甲/a 乙/b"})}});
    build.idx.m_nMaxUnitListSize = 2;  // |a_乙 and 甲_b|, three times each
    ASSERT_TRUE(QuietBuild(build));
    ASSERT_EQ(build.idx.m_WordList_U.length(), 2);
    EXPECT_EQ(OffsetFile(build, 0).size(), 2u * 3u * 8u);
    for (const qav::CWord& unit : build.idx.m_WordList_U.words)
        EXPECT_EQ(build.UnitCount(qztest::Utf8(unit.text), unit.type), 3u);
    EXPECT_EQ(build.UnitCount("|b_丙", qav::UNIT_POS_R), 1u);  // counted, but not in the list
    const std::vector<std::string> expected = {"甲", "乙", "丙", "|", "甲", "乙", "丁", "|", "甲", "乙", "|"};
    EXPECT_EQ(DataWords(build, 0), expected);
}

TEST(CreateOffset, LinesOverTheLimitAreRefusedByBothPasses) {
    BuildFixture build;
    const std::string longLine = std::string(qz::kMaxDataLineBytes, 'x');  // with its number, over the limit
    build.SetGroups({{build.AddFile({"甲/a 乙/b", longLine, "丙/c 丁/d"})}});
    ASSERT_TRUE(QuietBuild(build));
    const std::vector<std::string> expected = {"甲", "乙", "|", "丙", "丁", "|"};
    EXPECT_EQ(DataWords(build, 0), expected);
    EXPECT_EQ(ReadFile(qav::IdFilePath(build.idx.m_Config.m_FileInfo.DataInInfo, 0)), "512\t0\n515\t2\n");
    for (const qav::CWord& unit : build.idx.m_WordList_U.words)
        EXPECT_EQ(build.UnitCount(qztest::Utf8(unit.text), unit.type), static_cast<uint32_t>(unit.count));
}

// The longest sentence preparation keeps, behind the longest line number,
// is read whole by both passes.
TEST(CreateOffset, LongestPreparedLineIsKeptByBothPasses) {
    BuildFixture build;
    std::string longest;
    while (longest.size() < qz::kMaxLineBytes) longest += "a/b ";
    ASSERT_EQ(longest.size(), qz::kMaxLineBytes);
    const long long lineNo = 1000000000000000000LL;  // 19 digits
    build.SetGroups({{build.AddFile({longest, "丙/c"}, lineNo)}});
    ASSERT_TRUE(QuietBuild(build));
    const std::vector<std::string> words = DataWords(build, 0);
    ASSERT_EQ(words.size(), 25600u + 1 + 2);
    EXPECT_EQ(std::vector<std::string>(words.end() - 4, words.end()), (std::vector<std::string>{"a", "|", "丙", "|"}));
    EXPECT_EQ(ReadFile(qav::IdFilePath(build.idx.m_Config.m_FileInfo.DataInInfo, 0)),
              "512\t1000000000000000000\n" + std::to_string(512 + 25601) + "\t1000000000000000001\n");
    EXPECT_EQ(build.UnitCount("|b_a", qav::UNIT_POS_R), 25599u);
    for (const qav::CWord& unit : build.idx.m_WordList_U.words)
        EXPECT_EQ(build.UnitCount(qztest::Utf8(unit.text), unit.type), static_cast<uint32_t>(unit.count));
}

TEST(CreateOffset, AFailedGroupFailsTheStage) {
    struct Case {
        const char* name;
        void (*spoil)(BuildFixture&);
        const char* message;
    };
    const Case cases[] = {
        {"counted lines gone", [](BuildFixture& b) { std::remove(b.idx.m_SentenceStreams.Path(1).c_str()); },
         "Error open "},
        {"data file cannot be created",
         [](BuildFixture& b) { b.idx.m_Config.m_FileInfo.Data = b.dir.file("none/Data"); }, "Error Open "},
        {"identifier file cannot be created",
         [](BuildFixture& b) { b.idx.m_Config.m_FileInfo.DataInInfo = b.dir.file("none/Data"); }, "Error Open "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildFixture build;
        build.SetGroups({{build.AddFile({"甲/a 乙/b"})}, {build.AddFile({"甲/a 乙/b"})}});
        testing::internal::CaptureStdout();
        ASSERT_TRUE(build.Count());
        ASSERT_TRUE(build.idx.WriteInitOffset());
        c.spoil(build);
        EXPECT_FALSE(build.idx.CreateOffset());
        EXPECT_NE(testing::internal::GetCapturedStdout().find(c.message), std::string::npos);
    }
}

TEST(CreateOffsetDeathTest, ShortWriteFailsTheStage) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"甲/a 乙/b"})}});
    testing::internal::CaptureStdout();
    ASSERT_TRUE(build.Count());
    ASSERT_TRUE(build.idx.WriteInitOffset());
    testing::internal::GetCapturedStdout();
    // Less than a data file's header and tail.
    EXPECT_EXIT(RunUnderSizeLimit(3000, [&] { return build.idx.CreateOffset(); }, "Error write "),
                testing::ExitedWithCode(3), "");
}

TEST(HashOffset2File, RefusesGroupsOutOfRange) {
    BuildFixture build;
    build.SetGroups({{build.AddFile({"甲/a 乙/b"})}});
    ASSERT_TRUE(QuietBuild(build));
    EXPECT_FALSE(build.idx.HashOffset2File(std::vector<int>{1}));
    EXPECT_FALSE(build.idx.HashOffset2File(std::vector<int>{-1}));
    EXPECT_TRUE(build.idx.HashOffset2File(std::vector<int>{0}));
    // One group's whole table: the same range.
    EXPECT_FALSE(build.idx.HashOffset2File(1));
    EXPECT_FALSE(build.idx.HashOffset2File(-1));
    EXPECT_TRUE(build.idx.HashOffset2File(0));
}

// One group's records appended after those already in each region, walked
// over the group's whole table.
TEST(WriteOffset2File, AppendsEachUnitsRecordsAfterThoseAlreadyWritten) {
    qztest::TempDir dir;
    const std::string path = dir.file("Offset_0.dat");
    qztest::WriteFile(path, std::string(40, '\0'));
    qav::CHashTable merged(7), group(3);
    qav::AddWord(merged, "a", 3, qav::UNIT_POS_R);
    qav::AddWord(merged, "b", 2, qav::UNIT_ML);
    qav::AddWord(group, "a", 2, qav::UNIT_POS_R);
    qav::AddWord(group, "b", 1, qav::UNIT_ML);
    qav::AddWord(group, "c", 1, qav::UNIT_POS_R);  // not in the merged table: passed over
    qav::CWordList list;
    list.words = {Unit("a", qav::UNIT_POS_R, 3), Unit("b", qav::UNIT_ML, 2), Unit("c", qav::UNIT_POS_R, 1)};
    list.words[1].offset = 24;
    qav::ReadyOffsetInfo(merged, list);
    ASSERT_TRUE(qav::SetOffsetInfo(merged, "a", qav::UNIT_POS_R, 1));  // one record already in the region
    ASSERT_TRUE(qav::Ready2CreateOffset(group, list));
    qav::IdxUnitEntry entry;
    for (const auto& [text, type, position] : {std::make_tuple("a", qav::UNIT_POS_R, 1u), std::make_tuple("a", qav::UNIT_POS_R, 2u),
                                                std::make_tuple("b", qav::UNIT_ML, 3u), std::make_tuple("c", qav::UNIT_POS_R, 4u)}) {
        entry.first.text = text;
        entry.first.type = type;
        entry.second = qav::CSortIdxUnit{0, position, 0, 0, 0};
        ASSERT_EQ(1, qav::AddIdxInfo(group, entry));
    }

    std::vector<qz::FileHandle> files;
    files.push_back(qz::OpenFile(path, "rb+"));
    testing::internal::CaptureStdout();
    ASSERT_TRUE(qav::WriteOffset2File(group, files, merged));
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(qz::CloseFile(files[0]));

    const std::string file = ReadFile(path);
    ASSERT_EQ(40u, file.size());
    EXPECT_EQ(file[8], '\x01');   // a: after the record already there
    EXPECT_EQ(file[16], '\x02');
    EXPECT_EQ(file[24], '\x03');  // b: its region's start
    EXPECT_EQ(std::string(file, 0, 8), std::string(8, '\0'));
    EXPECT_EQ(3u, qav::GetCountInfo(merged, "a", qav::UNIT_POS_R));
    EXPECT_EQ(1u, qav::GetCountInfo(merged, "b", qav::UNIT_ML));
    EXPECT_EQ(nullptr, group.GetHashNode("a", qav::UNIT_POS_R)->records());  // freed
    EXPECT_EQ(0u, group.GetHashNode("a", qav::UNIT_POS_R)->records_stored);
    EXPECT_NE(nullptr, group.GetHashNode("c", qav::UNIT_POS_R)->records());

    // A region in a file that is not open fails.
    std::vector<qz::FileHandle> none;
    ASSERT_TRUE(qav::SetNodeInfo(group, "a", 0, qav::UNIT_POS_R, 0));
    entry.first.text = "a";
    entry.first.type = qav::UNIT_POS_R;
    ASSERT_EQ(1, qav::AddIdxInfo(group, entry));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(qav::WriteOffset2File(group, none, merged));
    testing::internal::GetCapturedStdout();
}

TEST(OffsetAccessors, ReadAndSetAnEntrysRegion) {
    qav::CHashTable table(5);
    qav::AddWord(table, "u", 4, qav::UNIT_POS_L);
    qav::AddWord(table, "w", 2, qav::UNIT_ML);
    ASSERT_TRUE(qav::ReadyOffsetInfo(table, "u", 80, qav::UNIT_POS_L, 3));
    ASSERT_TRUE(qav::ReadyOffsetInfo(table, "w", 16, qav::UNIT_ML, 1));
    EXPECT_FALSE(qav::ReadyOffsetInfo(table, "u", 0, qav::UNIT_POS_R, 0));  // another type
    EXPECT_TRUE(qav::SetOffsetInfo(table, "u", qav::UNIT_POS_L, 5));
    EXPECT_TRUE(qav::SetOffsetInfo(table, "w", qav::UNIT_ML, 2));
    EXPECT_FALSE(qav::SetOffsetInfo(table, "x", qav::UNIT_ML, 1));
    EXPECT_EQ(80, qav::GetOffsetInfo(table, "u", qav::UNIT_POS_L));
    EXPECT_EQ(0, qav::GetOffsetInfo(table, "x", qav::UNIT_POS_L));
    EXPECT_EQ(5u, qav::GetCountInfo(table, "u", qav::UNIT_POS_L));
    EXPECT_EQ(0u, qav::GetCountInfo(table, "x", qav::UNIT_POS_L));
    uint8_t fileNo = 0;
    int64_t end = 0;
    ASSERT_TRUE(qav::GetOffsetInfoEx(table, "u", qav::UNIT_POS_L, fileNo, end));
    EXPECT_EQ(std::make_pair(uint8_t{3}, int64_t{80 + 5 * 8}), std::make_pair(fileNo, end));
    ASSERT_TRUE(qav::GetOffsetInfoEx(table, "w", qav::UNIT_ML, fileNo, end));
    EXPECT_EQ(std::make_pair(uint8_t{1}, int64_t{16 + 2 * 9}), std::make_pair(fileNo, end));
    EXPECT_FALSE(qav::GetOffsetInfoEx(table, "x", qav::UNIT_ML, fileNo, end));
}

TEST(AddIdxInfo, FillsSlotsUpToTheCountedOccurrences) {
    qav::CHashTable table(11);
    qav::AddWord(table, "u", 2, qav::UNIT_ML);
    qav::IdxUnitEntry entry;
    entry.first.text = "u";
    entry.first.type = qav::UNIT_ML;
    entry.second = qav::CSortIdxUnit{3, 600, 2, 1, 7};
    EXPECT_EQ(qav::AddIdxInfo(table, entry), -1);  // no buffer yet
    ASSERT_TRUE(qav::SetNodeInfo(table, "u", 48, qav::UNIT_ML, 2));
    EXPECT_EQ(qav::AddIdxInfo(table, entry), 1);
    EXPECT_EQ(qav::AddIdxInfo(table, entry), 1);
    EXPECT_EQ(qav::AddIdxInfo(table, entry), -1);  // full
    const qav::CHashNode* node = table.GetHashNode("u", qav::UNIT_ML);
    EXPECT_EQ(std::make_tuple(node->offset, node->file_no, node->records_stored),
              std::make_tuple(int64_t{48}, uint8_t{2}, 2u));
    const std::string expected = std::string("\x58\x02\0\0\x02\0\x03\x01\x07", 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(node->records()) + 9, 9), expected);
    entry.first.type = qav::UNIT_POS_L;
    EXPECT_EQ(qav::AddIdxInfo(table, entry), -1);  // another type is another unit
    EXPECT_FALSE(qav::SetNodeInfo(table, "v", 0, qav::UNIT_ML, 0));
}

}  // namespace
