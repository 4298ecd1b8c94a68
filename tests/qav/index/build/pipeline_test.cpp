// Whole builds through the exported entries: the files an index directory
// holds afterwards, the build log, and the engine loading the result.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "include/qavlib.h"
#include "pipeline_fixture.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/format/unit_index_file.h"
#include "qav/index/format/unit_type.h"
#include "qav/service/engines.h"

namespace {

namespace fs = std::filesystem;
using qztest::BuildIndex;
using qztest::BuildLogs;
using qztest::Gbk;
using qztest::IndexFiles;
using qztest::PipelineConfig;
using qztest::SampleCorpusList;
using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteAt;
using qztest::WriteCorpusList;

class Pipeline : public testing::Test {
protected:
    void TearDown() override {
        qztest::CloseOpenBuildLog();
        qav::GlobalExit();
    }

    // A one-line corpus "我/r 爱/v 上海/ns" with its list and configuration.
    void WriteOneLineCorpus() {
        config_ = WriteAt(tmp_, "config.json", PipelineConfig());
        list_ = WriteCorpusList(tmp_, {WriteAt(tmp_, "one.txt", Gbk("我/r 爱/v 上海/ns\n"))});
    }

    // The one build log of dir.
    std::string LogOf(const std::string& dir) {
        const auto logs = BuildLogs(dir);
        EXPECT_EQ(1u, logs.size()) << dir;
        return logs.empty() ? std::string() : ReadFile(logs[0]);
    }

    TempDir tmp_;
    std::string config_;
    std::string list_;
    std::string index_ = tmp_.file("index");
};

TEST_F(Pipeline, OneLineCorpusGivesACompleteIndexTheEngineLoads) {
    WriteOneLineCorpus();
    ASSERT_EQ(1, BuildIndex(config_, list_, index_));
    EXPECT_EQ(nullptr, qav::g_pCQAVEngine);

    EXPECT_EQ("Engine=QAV\nLanguage=Chinese\nCorpusSize=18\n", ReadFile(index_ + "/Engine.txt"));
    EXPECT_EQ(4112u, fs::file_size(index_ + "/Data_0.dat"));  // header, 4 words ("|" closes the line), tail
    EXPECT_EQ(114u, fs::file_size(index_ + "/WordList.dat"));
    EXPECT_EQ(48u, fs::file_size(index_ + "/Offset_0.dat"));  // 6 units, one 8-byte record each
    EXPECT_EQ("512\t0\n", ReadFile(index_ + "/Info/Corpus.ID"));
    EXPECT_EQ(ReadFile(config_), ReadFile(index_ + "/config.txt"));
    EXPECT_FALSE(fs::exists(index_ + "/List.txt"));
    EXPECT_FALSE(fs::exists(index_ + "/Data_0.txt"));

    qav::UnitIndex units;
    ASSERT_TRUE(qav::ReadUnitIndexFile(index_ + "/Unit.dat", &units));
    EXPECT_EQ(6u, units.units.size());
    EXPECT_EQ(12u, units.complex_units.size());

    const auto logs = BuildLogs(index_);
    ASSERT_EQ(1u, logs.size());
    const std::string log = ReadFile(logs[0]);
    EXPECT_EQ(0u, log.find("=== QAV Index Log Started: "));
    const std::string end = "=== QAV Index Log Ended ===\n";
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(end, log.substr(log.size() - end.size()));

    ASSERT_TRUE(qav::GlobalInit("config.txt", index_));
    const qav::CHashNode* unit = qav::g_pCQAVEngine->m_unitTable.GetHashNode(Gbk("|v_上"), qav::UNIT_POS_R);
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(1u, unit->count);
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0;
    ASSERT_TRUE(qav::g_pCQAVEngine->m_orgInfo.GetLimit(512, name, first, last));
    EXPECT_EQ("Doc_0", name);
}

TEST_F(Pipeline, EnglishCorpusIsIndexedAsEnglish) {
    const std::string config = WriteAt(tmp_, "config.json", PipelineConfig());
    ASSERT_EQ(1, BuildIndex(config, SampleCorpusList(tmp_, "sample_en"), index_));
    EXPECT_NE(std::string::npos, ReadFile(index_ + "/Engine.txt").find("Language=English\n"));
}

TEST_F(Pipeline, BuildWhileAnEngineIsLoadedHandsTheEngineBack) {
    WriteOneLineCorpus();
    ASSERT_EQ(1, BuildIndex(config_, list_, index_));
    ASSERT_TRUE(qav::GlobalInit("config.txt", index_));
    qav::CQAVEngine* loaded = qav::g_pCQAVEngine;

    ASSERT_EQ(1, BuildIndex(config_, SampleCorpusList(tmp_, "sample_en"), tmp_.file("second")));
    EXPECT_EQ(loaded, qav::g_pCQAVEngine);
    const qav::CHashNode* unit = qav::g_pCQAVEngine->m_unitTable.GetHashNode(Gbk("|v_上"), qav::UNIT_POS_R);
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(1u, unit->count);
}

TEST_F(Pipeline, FilesAreCutIntoGroupsByTheCountingThreads) {
    const std::string config = WriteAt(tmp_, "config.json", PipelineConfig(",\"ThreadNum_Count\":2"));
    std::vector<std::string> files;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) files.push_back(WriteAt(tmp_, name, Gbk("我/r 爱/v 上海/ns\n")));
    ASSERT_EQ(1, BuildIndex(config, WriteCorpusList(tmp_, files), index_));
    // Two groups: the first holds two files, so its data file holds twice the words.
    EXPECT_EQ(4096u + 2 * 16u, fs::file_size(index_ + "/Data_0.dat"));
    EXPECT_EQ(4096u + 16u, fs::file_size(index_ + "/Data_1.dat"));
    EXPECT_FALSE(fs::exists(index_ + "/Data_2.dat"));
    EXPECT_EQ("512\t0\n516\t1\n4294967808\t2\n", ReadFile(index_ + "/Info/Corpus.ID"));
    EXPECT_NE(std::string::npos, LogOf(index_).find("File type summary: 3 sequence file(s), 0 tree file(s)\n"));
}

// A failed build keeps its log open; the next build of the process writes
// into that log, without a start line of its own, and ends it.
TEST_F(Pipeline, FailedBuildLeavesItsLogToTheNextBuild) {
    WriteOneLineCorpus();
    const std::string failing = tmp_.file("failing");
    const std::string noThreads = WriteAt(tmp_, "no_threads.json", PipelineConfig(",\"ThreadNum_Count\":0"));
    ASSERT_EQ(0, BuildIndex(noThreads, list_, failing));
    std::string log = LogOf(failing);
    const std::string readFiles = "Read Files\n  [Read Files] failed after ";
    ASSERT_NE(std::string::npos, log.find(readFiles)) << log;
    EXPECT_EQ(std::string::npos, log.find("Org Info Init")) << log;
    EXPECT_EQ(std::string::npos, log.find("=== QAV Index Log Ended ===")) << log;

    ASSERT_EQ(1, BuildIndex(config_, list_, index_));
    EXPECT_TRUE(BuildLogs(index_).empty());
    log = LogOf(failing);
    EXPECT_EQ(log.find("=== QAV Index Log Started"), log.rfind("=== QAV Index Log Started"));
    EXPECT_NE(log.find("Preparing Files\n"), log.rfind("Preparing Files\n"));
    EXPECT_LT(log.find(readFiles), log.find("Index completed successfully.\n"));
    const std::string end = "=== QAV Index Log Ended ===\n";
    EXPECT_EQ(log.size() - end.size(), log.find(end));
}

TEST_F(Pipeline, CorpusOverTheSizeLimitEndsAfterPreparation) {
    const std::string big = tmp_.file("big.txt");
    WriteAt(tmp_, "big.txt", "");
    ASSERT_EQ(0, truncate(big.c_str(), 1073741825));  // sparse: one byte over 1 GiB
    const std::string config = WriteAt(tmp_, "config.json", PipelineConfig());
    std::string output;
    ASSERT_EQ(0, BuildIndex(config, WriteCorpusList(tmp_, {big}), index_, &output));
    EXPECT_NE(std::string::npos,
              output.find("Error: total corpus size (1073741825 bytes) exceeds limit (1073741824 bytes)\n"));
    const std::string log = LogOf(index_);
    EXPECT_NE(std::string::npos, log.find("Preparing Files\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("Read Files")) << log;
}

TEST_F(Pipeline, FailedDocumentTableFailsTheBuild) {
    WriteOneLineCorpus();
    // The document table goes to a folder that does not exist.
    std::string text = PipelineConfig();
    const std::string orgDat = "\"OrgDat\":\"Org.dat\"";
    text.replace(text.find(orgDat), orgDat.size(), "\"OrgDat\":\"missing/Org.dat\"");
    const std::string config = WriteAt(tmp_, "org.json", text);
    std::string output;
    EXPECT_EQ(0, BuildIndex(config, list_, index_, &output));
    EXPECT_NE(std::string::npos, output.find("Error: Write Org Info failed\n")) << output;
    // Nothing of the failed build is left: the target holds its log only.
    EXPECT_FALSE(fs::exists(index_ + "/SentInfo.dat"));
    EXPECT_FALSE(fs::exists(index_ + ".building"));
    EXPECT_EQ(std::string::npos, LogOf(index_).find("=== QAV Index Log Ended ==="));
}

// Ten corpus files of `lines` lines each, line i made by sentence(i).
template <typename Sentence>
std::string WriteSplitCorpus(const TempDir& tmp, const std::string& name, int lines, Sentence&& sentence) {
    std::vector<std::string> files;
    for (int f = 0; f < 10; ++f) {
        std::string text;
        for (int i = 0; i < lines; ++i) text += Gbk(sentence(f * lines + i)) + "\n";
        files.push_back(WriteAt(tmp, name + "/part" + std::to_string(f) + ".txt", text));
    }
    std::string list;
    for (const std::string& file : files) list += file + "\n";
    return WriteAt(tmp, name + "/corpus.lst", list);
}

// A file that cannot be written whole fails the build at the stage that
// writes it. Files are held to a size limit of the process here.
TEST_F(Pipeline, ShortWritesFailTheBuild) {
    // About 8 units of 10,000 records: one offset file of about 640 KB.
    const std::string repeated = WriteSplitCorpus(tmp_, "repeated", 1000, [](int) { return "我/r 爱/v 上海/ns"; });
    // Two words a line: identifier lines outweigh the data, Corpus.ID about 160 KB.
    const std::string twoWords = WriteSplitCorpus(tmp_, "two_words", 1000, [](int) { return "我/r 爱/v"; });
    struct Case {
        std::string list;
        rlim_t limit;
        const char* sizeInfo;
        const char* failingStage;
    } cases[] = {
        // One group: the counting pass's record of the lines for the offset pass is the first file over.
        {repeated, 300000, "", "Count Unit Word"},
        // Ten groups keep each of those records small.
        {repeated, 300000, ",\"ThreadNum_Count\":10", "Write Init Offset"},
        {twoWords, 100000, ",\"MaxOffsetFileSize\":\"0\",\"ThreadNum_Count\":10", "Merge CorpusID Files"},
    };
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &previous));
    int run = 0;
    for (const Case& c : cases) {
        const std::string config = WriteAt(tmp_, "config.json", PipelineConfig(c.sizeInfo));
        const std::string dir = tmp_.file("limited" + std::to_string(run++));
        rlimit limited = previous;
        limited.rlim_cur = c.limit;
        ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limited));
        const int result = BuildIndex(config, c.list, dir);
        setrlimit(RLIMIT_FSIZE, &previous);
        EXPECT_EQ(0, result) << c.failingStage;
        const std::string log = LogOf(dir);
        EXPECT_NE(std::string::npos, log.find(std::string("  [") + c.failingStage + "] failed after ")) << log;
        qztest::CloseOpenBuildLog();
    }
    std::signal(SIGXFSZ, previousHandler);
}

// The thread settings change how the work is spread, never the index.
TEST_F(Pipeline, ThreadCountsGiveByteIdenticalIndexes) {
    const std::string list = SampleCorpusList(tmp_, "sample");
    std::map<std::string, std::string> built[2];
    const char* threads[2] = {"1", "8"};
    for (int run = 0; run < 2; ++run) {
        const std::string config = WriteAt(
            tmp_, "config.json",
            PipelineConfig(std::string(",\"ThreadNum_Count\":5,\"ThreadNum_Offset\":") + threads[run] +
                           ",\"ThreadNum_Sort\":" + threads[run]));
        const std::string dir = tmp_.file(std::string("threads_") + threads[run]);
        ASSERT_EQ(1, BuildIndex(config, list, dir));
        built[run] = IndexFiles(dir);
    }
    EXPECT_TRUE(built[0].count("Data_4.dat"));
    ASSERT_EQ(built[0].size(), built[1].size());
    for (const auto& [name, bytes] : built[0]) {
        // The configuration copies differ in the thread setting itself, and
        // so does the file list that holds their checksums.
        if (name != "config.txt" && name != "Checksums.txt") {
            EXPECT_TRUE(bytes == built[1][name]) << name;
        }
    }
}

}  // namespace
