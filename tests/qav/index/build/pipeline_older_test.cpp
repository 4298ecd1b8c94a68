// The older build entry, over the text files a preparation leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "include/qavlib.h"
#include "pipeline_fixture.h"
#include "qav/index/build/corpus_prep.h"
#include "qav/index/engine/org_info.h"

namespace {

namespace fs = std::filesystem;
using qztest::BuildIndex;
using qztest::PipelineConfig;
using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteAt;

// Key of each line number in an identifier file.
std::map<long long, unsigned long long> KeysOfLines(const std::string& idFile) {
    std::map<long long, unsigned long long> keys;
    std::istringstream in(ReadFile(idFile));
    unsigned long long key;
    long long line;
    while (in >> key >> line) keys[line] = key;
    return keys;
}

// The older build stores the document table as the full build does: the key
// that ends each document, so that every document's first sentence is named
// by that document and not by its neighbour.
TEST(OlderPipeline, DocumentTableHoldsEndKeysLikeTheFullBuild) {
    TempDir tmp;
    const std::string config = WriteAt(tmp, "config.json", PipelineConfig(",\"ThreadNum_Count\":3"));
    std::vector<std::string> files;
    for (const char* name : {"song.txt", "tree_square.txt", "tree_round.txt"})
        files.push_back(fs::absolute(qztest::DataDir() + "/sample/" + name).string());
    const std::string list = qztest::WriteCorpusList(tmp, files);
    const std::string full = tmp.file("full");
    ASSERT_EQ(1, BuildIndex(config, list, full));

    const std::string prepared = tmp.file("prepared");
    fs::create_directories(prepared);
    testing::internal::CaptureStdout();
    const bool preparedOk = qav::CreatePreFiles(prepared, list, prepared + "/List.txt", prepared + "/Org.txt",
                                           prepared + "/DocInfo.txt", prepared + "/SentInfo.txt");
    const std::string older = tmp.file("older");
    const int result = IdxMain(config.c_str(), (prepared + "/Org.txt").c_str(), (prepared + "/List.txt").c_str(),
                               older.c_str());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(preparedOk);
    ASSERT_EQ(1, result);

    for (const char* name : {"Org.dat", "Data_0.dat", "Data_2.dat", "WordList.dat", "Unit.dat", "Offset_0.dat"})
        EXPECT_TRUE(ReadFile(full + "/" + name) == ReadFile(older + "/" + name)) << name;

    qav::COrgInfo table;
    ASSERT_TRUE(table.OrgInfoInit(older + "/Org.dat"));
    const auto keys = KeysOfLines(full + "/Info/Corpus.ID");
    std::istringstream org(ReadFile(prepared + "/Org.txt"));
    int documents = 0;
    for (std::string range, title, extra; std::getline(org, range) && std::getline(org, title) &&
                                          std::getline(org, extra);) {
        const long long firstLine = std::stoll(range.substr(1));
        const std::string expected = title.substr(2);
        std::string name;
        uint64_t first = 0;
        uint64_t last = 0;
        ASSERT_TRUE(keys.count(firstLine));
        const bool found = table.GetLimit(keys.at(firstLine), name, first, last);
        EXPECT_EQ(!expected.empty(), found) << range;
        if (found) {
            EXPECT_EQ(expected, name) << range;
        }
        ++documents;
    }
    EXPECT_GT(documents, 90);
}

TEST(OlderPipeline, MissingInputsFailTheBuild) {
    TempDir tmp;
    const std::string config = WriteAt(tmp, "config.json", PipelineConfig());
    const std::string data = WriteAt(tmp, "Data_0.txt", "0\t" + qztest::Gbk("我/r 爱/v 上海/ns") + "\n");
    const std::string list = WriteAt(tmp, "List.txt", data + "\t0\n");
    const std::string org = WriteAt(tmp, "Org.txt", "#0\t1\nT:Doc_0\nEx:\n");
    const std::string missing = tmp.file("missing.txt");
    const std::string dir = tmp.file("index");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, IdxMain(config.c_str(), org.c_str(), missing.c_str(), dir.c_str()));
    EXPECT_EQ(0, IdxMain(config.c_str(), missing.c_str(), list.c_str(), dir.c_str()));  // no document table
    EXPECT_EQ(0, IdxMain(config.c_str(), org.c_str(), list.c_str(), nullptr));
    EXPECT_EQ(0, IdxMainAllInOne(config.c_str(), nullptr, dir.c_str()));
    // A full build measures its corpus; the older build that follows has no
    // measure of its own.
    const std::string corpus = qztest::WriteCorpusList(tmp, {WriteAt(tmp, "one.txt", qztest::Gbk("我/r 爱/v 上海/ns\n"))});
    EXPECT_EQ(1, IdxMainAllInOne(config.c_str(), corpus.c_str(), tmp.file("full").c_str()));
    EXPECT_EQ(1, IdxMain(config.c_str(), org.c_str(), list.c_str(), dir.c_str()));
    testing::internal::GetCapturedStdout();
    qav::COrgInfo table;
    ASSERT_TRUE(table.OrgInfoInit(dir + "/Org.dat"));
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0;
    ASSERT_TRUE(table.GetLimit(512, name, first, last));
    EXPECT_EQ("Doc_0", name);
    EXPECT_EQ("Engine=QAV\nLanguage=Chinese\n", ReadFile(dir + "/Engine.txt"));
}

}  // namespace
