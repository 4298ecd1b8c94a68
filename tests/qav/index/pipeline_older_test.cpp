// The older build entry, over the text files a preparation leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "include/qavlib.h"
#include "pipeline_fixture.h"
#include "qav/index/corpus_prep.h"
#include "qav/index/org_info.h"

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
    const bool preparedOk = CreatePreFiles(prepared, list, prepared + "/List.txt", prepared + "/Org.txt",
                                           prepared + "/DocInfo.txt", prepared + "/SentInfo.txt");
    const std::string older = tmp.file("older");
    const int result = IdxMain(config.c_str(), (prepared + "/Org.txt").c_str(), (prepared + "/List.txt").c_str(),
                               older.c_str());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(preparedOk);
    ASSERT_EQ(1, result);

    for (const char* name : {"Org.dat", "Data_0.dat", "Data_2.dat", "WordList.dat", "Unit.dat", "Offset_0.dat"})
        EXPECT_TRUE(ReadFile(full + "/" + name) == ReadFile(older + "/" + name)) << name;

    COrgInfo table;
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
        if (found) EXPECT_EQ(expected, name) << range;
        ++documents;
    }
    EXPECT_GT(documents, 90);
}

}  // namespace
