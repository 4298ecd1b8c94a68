// Whole builds through the exported entries: the files an index directory
// holds afterwards, the build log, and the engine loading the result.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "include/qavlib.h"
#include "pipeline_fixture.h"
#include "qav/index/qav_engine.h"
#include "qav/index/unit_index_file.h"
#include "qav/search/unit_type.h"

namespace {

namespace fs = std::filesystem;
using qztest::BuildIndex;
using qztest::BuildLogs;
using qztest::Gbk;
using qztest::PipelineConfig;
using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteAt;
using qztest::WriteCorpusList;

class Pipeline : public testing::Test {
protected:
    void TearDown() override {
        qztest::CloseOpenBuildLog();
        GlobalExit();
    }

    // A one-line corpus "我/r 爱/v 上海/ns" with its list and configuration.
    void WriteOneLineCorpus() {
        config_ = WriteAt(tmp_, "config.json", PipelineConfig());
        list_ = WriteCorpusList(tmp_, {WriteAt(tmp_, "one.txt", Gbk("我/r 爱/v 上海/ns\n"))});
    }

    TempDir tmp_;
    std::string config_;
    std::string list_;
    std::string index_ = tmp_.file("index");
};

TEST_F(Pipeline, OneLineCorpusGivesACompleteIndexTheEngineLoads) {
    WriteOneLineCorpus();
    ASSERT_EQ(1, BuildIndex(config_, list_, index_));
    EXPECT_EQ(nullptr, g_pCQAVEngine);

    EXPECT_EQ("Engine=QAV\nLanguage=Chinese\nCorpusSize=18\n", ReadFile(index_ + "/Engine.txt"));
    EXPECT_EQ(4112u, fs::file_size(index_ + "/Data_0.dat"));  // header, 4 words ("|" closes the line), tail
    EXPECT_EQ(114u, fs::file_size(index_ + "/WordList.dat"));
    EXPECT_EQ(48u, fs::file_size(index_ + "/Offset_0.dat"));  // 6 units, one 8-byte record each
    EXPECT_EQ("512\t0\n", ReadFile(index_ + "/Info/Corpus.ID"));
    EXPECT_EQ(ReadFile(config_), ReadFile(index_ + "/config.txt"));
    EXPECT_FALSE(fs::exists(index_ + "/List.txt"));
    EXPECT_FALSE(fs::exists(index_ + "/Data_0.txt"));

    UnitIndex units;
    ASSERT_TRUE(ReadUnitIndexFile(index_ + "/Unit.dat", &units));
    EXPECT_EQ(6u, units.units.size());
    EXPECT_EQ(12u, units.complex_units.size());

    const auto logs = BuildLogs(index_);
    ASSERT_EQ(1u, logs.size());
    const std::string log = ReadFile(logs[0]);
    EXPECT_EQ(0u, log.find("=== QAV Index Log Started: "));
    const std::string end = "=== QAV Index Log Ended ===\n";
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(end, log.substr(log.size() - end.size()));

    ASSERT_TRUE(GlobalInit("config.txt", index_));
    const CHashNode* unit = g_pCQAVEngine->m_unitTable.GetHashNode(Gbk("|v_上"), UNIT_POS_R);
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(1u, unit->count);
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0;
    ASSERT_TRUE(g_pCQAVEngine->m_orgInfo.GetLimit(512, name, first, last));
    EXPECT_EQ("Doc_0", name);
}

}  // namespace
