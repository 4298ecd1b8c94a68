// Offset records sorted by the corpus text next to each occurrence, in the
// order in which atom search bisects them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "build_fixture.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/format/unit_index_file.h"
#include "qav/index/format/record_compare.h"
#include "qav/index/build/keyed_sort.h"
#include "qav/index/build/sort_keys.h"
#include "common/platform/zq_sort.h"

namespace {

using qztest::BuildFixture;
using qztest::DataDir;
using qztest::ReadFile;

// Token lines of a sample corpus file, as UTF-8 sentences.
std::vector<std::string> SampleSentences(const std::string& name, size_t first, size_t count) {
    std::istringstream in(ReadFile(DataDir() + "/sample/" + name));
    std::vector<std::string> sentences;
    size_t seen = 0;
    for (std::string line; std::getline(in, line) && sentences.size() < count;) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.rfind("Doc ", 0) == 0 || line[0] == '#' || line.rfind("POS=", 0) == 0 ||
            line.rfind("Item:", 0) == 0)
            continue;
        if (seen++ >= first) sentences.push_back(qztest::Utf8(line));
    }
    return sentences;
}

// The built index's data files and word list, as the comparators read them.
class Corpus {
public:
    explicit Corpus(const qav::CQAVIdx& idx) {
        EXPECT_TRUE(engine_.ShareDataInit(idx.m_Config.m_FileInfo.Data));
        for (size_t f = 0; f < engine_.DataFileCount(); ++f)
            context.files.push_back({engine_.m_corpus[f].get(), engine_.m_corpusLength[f]});
        context.wordList = &idx.m_WordList_W;
        context.language = idx.m_Config.m_Language;
        context.sortCompWordLen = idx.m_Config.m_SizeInfo.SortCompWordLen;
    }
    qav::RecordCompareContext context;

private:
    qav::CQAVEngine engine_;
};

struct SortedRun {
    std::string name;
    std::vector<std::string> records;
};

// The sorted runs of every unit: its chunks when it has chunk units, else its
// whole region.
std::vector<SortedRun> SortedRuns(const qav::CQAVIdx& idx) {
    std::vector<SortedRun> runs;
    auto records = [&](int64_t offset, uint32_t count, int type, int fileNo) {
        const std::string bytes = ReadFile(idx.m_Config.m_FileInfo.Offset + "_" + std::to_string(fileNo) + ".dat");
        const int width = qav::OffsetRecordWidth(type);
        std::vector<std::string> out;
        for (uint32_t i = 0; i < count; ++i) out.push_back(bytes.substr(offset + int64_t{i} * width, width));
        return out;
    };
    for (const qav::CWord& unit : idx.m_WordList_U.words) {
        std::vector<SortedRun> chunks;
        for (int k = 0;; ++k) {
            const qav::CHashNode* chunk = idx.m_SplitUnitHash.GetHashNode(unit.text + "_" + std::to_string(k), unit.type);
            if (!chunk) break;
            chunks.push_back({chunk->name, records(chunk->offset, chunk->count, unit.type, chunk->file_no)});
        }
        if (chunks.empty()) {
            const qav::CHashNode* node = idx.m_Tables.units.GetHashNode(unit.text, unit.type);
            chunks.push_back({unit.text, records(unit.offset, node ? node->count : 0, unit.type, unit.file_no)});
        }
        runs.insert(runs.end(), chunks.begin(), chunks.end());
    }
    return runs;
}

int TypeOf(const qav::CQAVIdx& idx, const std::string& runName) {
    for (const qav::CWord& unit : idx.m_WordList_U.words)
        if (runName.compare(0, unit.text.size(), unit.text) == 0) return unit.type;
    return 0;
}

bool SortOffset(qav::CQAVIdx& idx) {
    testing::internal::CaptureStdout();
    const bool ok = idx.SortOffset();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ok) << log;
    return ok;
}

TEST(SortOffset, EveryRunFollowsItsComparatorAndRecordsWithoutContextComeLast) {
    BuildFixture build;
    build.SetGroups({{build.AddFile(SampleSentences("tang.txt", 0, 120))},
                     {build.AddFile(SampleSentences("tang.txt", 120, 120))},
                     {build.AddFile(SampleSentences("tree_square.txt", 0, 60))}});
    build.idx.m_KindGroups[2] = {1};
    qav::CSizeInfo& sizes = build.idx.m_Config.m_SizeInfo;
    // A window longer than the header block: records anchored among the
    // first words of a data file (and near its end) have no full context.
    sizes.SortCompWordLen = 530;
    sizes.ThreadNum_Sort = 3;
    sizes.MaxUnitCount_ToSort = 4;
    ASSERT_TRUE(build.Build());
    ASSERT_TRUE(SortOffset(build.idx));
    const Corpus corpus(build.idx);

    int chunked = 0, withoutContext = 0, withContext = 0;
    for (const SortedRun& run : SortedRuns(build.idx)) {
        const int type = TypeOf(build.idx, run.name);
        const qav::RecordSortCompare compare = qav::SortComparatorOfKind(type);
        ASSERT_NE(nullptr, compare) << run.name;
        if (run.name.size() > 2 && run.name[run.name.size() - 2] == '_') ++chunked;
        bool outSeen = false;
        for (size_t i = 0; i < run.records.size(); ++i) {
            const auto* record = reinterpret_cast<const unsigned char*>(run.records[i].data());
            qav::RecordContextStart start;
            const bool out = !qav::GetRecordContextStart(corpus.context, record, type, start);
            (out ? withoutContext : withContext)++;
            EXPECT_TRUE(out || !outSeen) << qztest::Utf8(run.name) << " record " << i;
            outSeen = outSeen || out;
            if (i > 0) {
                EXPECT_LE(compare(run.records[i - 1].data(), run.records[i].data(),
                                  const_cast<qav::RecordCompareContext*>(&corpus.context)),
                          0)
                    << qztest::Utf8(run.name) << " record " << i;
            }
        }
    }
    EXPECT_GT(chunked, 0);
    EXPECT_GT(withoutContext, 0);
    EXPECT_GT(withContext, withoutContext);

    // The unit index lists the chunk units after the units.
    ASSERT_TRUE(build.idx.WriteIdxInfo());
    qav::UnitIndex index;
    ASSERT_TRUE(qav::ReadUnitIndexFile(build.idx.m_Config.m_FileInfo.Unit, &index));
    EXPECT_EQ(build.idx.m_WordList_U.words.size() + build.idx.m_SplitUnitHash.node_count(), index.units.size());
}

int Sign(int value) { return (value > 0) - (value < 0); }

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const std::vector<std::string>& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Every record of every unit of the sort's kinds, grouped by kind, after the
// build has sorted them.
std::vector<std::vector<std::string>> RecordsByKind(const qav::CQAVIdx& idx, const std::vector<SortedRun>& runs) {
    std::vector<std::vector<std::string>> byKind(8);
    for (const SortedRun& run : runs) {
        const int type = TypeOf(idx, run.name);
        if (qav::SortComparatorOfKind(type)) byKind[type].insert(byKind[type].end(), run.records.begin(), run.records.end());
    }
    return byKind;
}

TEST(SortOffset, KeyedRecordsSortExactlyAsThePlainComparatorSortsThem) {
    struct Case {
        int language;
        std::vector<std::vector<std::string>> groups;
        int contextWords;
    };
    const std::vector<Case> cases = {
        {0, {SampleSentences("tang.txt", 0, 150), SampleSentences("prose.txt", 0, 80)}, 10},
        // A window longer than the header block: records near a file's ends have no full context.
        {0, {SampleSentences("tang.txt", 0, 60)}, 530},
        // Sentences met again, as in a corpus that repeats its texts: whole contexts alike, and the
        // same text cut into other words ("中国 人" and "中 国人").
        {0,
         {SampleSentences("tang.txt", 0, 40),
          Concat({SampleSentences("tang.txt", 0, 40),
                  {"我/r 中国/n 人/n 很/d 多/a 啊/y", "我/r 中/n 国人/n 很/d 多/a 啊/y", "你/r 中国人/n 很/d 多/a 啊/y",
                   "我/r 中国/n 人/n 很/d 多/a 啊/y", "我/r 中/n 国人/n 很/d 多/a 啊/y"},
                  SampleSentences("prose.txt", 0, 10)})},
         4},
        // Words sharing long prefixes, of odd byte length, and the same texts after blanks.
        {1, {{"p/n x/n ab/n c/n a/n", "p/n x/n a/n bc/n b/n", "p/n abcdefghijklmnopq/n r/n", "p/n abcdefghijklmnopq/n s/n",
              "p/n abcdefghijklmnop/n q/n", "q/v x/n ab/n c/n a/n"}},
         3},
    };
    for (const Case& c : cases) {
        BuildFixture build;
        std::vector<std::vector<std::string>> groups;
        for (const std::vector<std::string>& lines : c.groups) groups.push_back({build.AddFile(lines)});
        build.SetGroups(groups);
        build.idx.m_Config.m_Language = c.language;
        build.idx.m_Config.m_SizeInfo.SortCompWordLen = c.contextWords;
        ASSERT_TRUE(build.Build());
        ASSERT_TRUE(SortOffset(build.idx));
        const Corpus corpus(build.idx);
        auto* context = const_cast<qav::RecordCompareContext*>(&corpus.context);
        const qav::RecordSortKeys keys(corpus.context);
        const std::vector<std::vector<std::string>> byKind = RecordsByKind(build.idx, SortedRuns(build.idx));
        int kinds = 0;
        for (size_t type = 0; type < byKind.size(); ++type) {
            std::vector<std::string> records = byKind[type];
            if (records.size() < 2) continue;
            ++kinds;
            const qav::RecordSortCompare compare = qav::SortComparatorOfKind(static_cast<int>(type));
            const size_t width = records[0].size();
            // Wherever two keys differ, they order the records as the comparator does.
            const size_t step = std::max<size_t>(1, records.size() / 300);
            for (size_t i = 0; i < records.size(); i += step) {
                for (size_t j = 0; j < records.size(); j += step) {
                    const auto* a = reinterpret_cast<const unsigned char*>(records[i].data());
                    const auto* b = reinterpret_cast<const unsigned char*>(records[j].data());
                    const qav::RecordSortKey ka = keys.Make(a, static_cast<qav::UnitType>(type));
                    const qav::RecordSortKey kb = keys.Make(b, static_cast<qav::UnitType>(type));
                    if (ka.high == kb.high && ka.low == kb.low) continue;
                    const int byKey = ka.high != kb.high ? (ka.high < kb.high ? -1 : 1) : (ka.low < kb.low ? -1 : 1);
                    ASSERT_EQ(byKey, Sign(compare(a, b, context))) << "kind " << type << " records " << i << ", " << j;
                }
            }
            // A shuffled copy sorted with keys comes out byte for byte as the plain sort leaves it.
            std::shuffle(records.begin(), records.end(), std::mt19937(7));
            std::string plain;
            for (const std::string& record : records) plain += record;
            const size_t n = records.size();
            const size_t keyedBytes = qav::KeyedRecordBytes(corpus.context, width);
            std::vector<unsigned char> keyed(n * keyedBytes);
            qav::AddSortKeys(reinterpret_cast<const unsigned char*>(plain.data()), n, width,
                             static_cast<qav::UnitType>(type), keys, keyed.data());
            zq_quicksort_ex(plain.data(), n, width, compare, context);
            const qav::KeyedOrder order =
                qav::KeyedOrderOf(compare, context, corpus.context, static_cast<qav::UnitType>(type));
            // The build's own keyed sorts: whole, and in parts handed on as
            // they are made, every part of two or more, which takes every step.
            std::vector<unsigned char> whole = keyed;
            std::vector<unsigned char> inParts = keyed;
            zq_quicksort_ex(keyed.data(), n, keyedBytes, qav::CompareKeyed, const_cast<qav::KeyedOrder*>(&order));
            std::string viaKeys(n * width, '\0');
            qav::DropSortKeys(keyed.data(), n, width, corpus.context, reinterpret_cast<unsigned char*>(viaKeys.data()));
            EXPECT_EQ(plain, viaKeys) << "kind " << type;
            qav::SortKeyed(whole.data(), n, keyedBytes, order);
            EXPECT_TRUE(whole == keyed) << "kind " << type << ", whole";
            const qav::PartSorter sorter = qav::KeyedPartSorter(keyedBytes, order);
            std::function<void(void*, size_t)> partition = [&](void* part, size_t count) {
                sorter.partition(part, count, 2, partition);
            };
            partition(inParts.data(), n);
            sorter.finish(inParts.data(), n);
            EXPECT_TRUE(inParts == keyed) << "kind " << type << ", in parts";
        }
        EXPECT_GE(kinds, 2);
    }
}

TEST(SortOffset, EnglishContextsSeparateWordsWithBlanks) {
    // The unit |n_x holds the two occurrences of p. Without blanks both
    // right contexts would begin "xabc" and the first sentence's "xabca"
    // would sort first; with them "x a bc b" sorts before "x ab c a".
    BuildFixture build;
    build.SetGroups({{build.AddFile({"p/n x/n ab/n c/n a/n", "p/n x/n a/n bc/n b/n"})}});
    build.idx.m_Config.m_Language = 1;
    ASSERT_TRUE(build.Build());
    ASSERT_TRUE(SortOffset(build.idx));

    int checked = 0;
    for (const SortedRun& run : SortedRuns(build.idx)) {
        if (TypeOf(build.idx, run.name) != 4) continue;
        std::vector<uint32_t> anchors;
        for (const std::string& bytes : run.records) {
            const qav::CSortIdxUnit record = qav::DecodeOffsetRecord(reinterpret_cast<const unsigned char*>(bytes.data()), 8);
            if (record.index == 0) anchors.push_back(record.position);
        }
        if (anchors.size() != 2) continue;
        EXPECT_EQ("|n_x", run.name);
        EXPECT_EQ((std::vector<uint32_t>{518, 512}), anchors);
        ++checked;
    }
    EXPECT_EQ(1, checked);
}

}  // namespace
