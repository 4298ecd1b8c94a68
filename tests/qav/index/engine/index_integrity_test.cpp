// An index directory is served whole or not at all: builds put their folder
// in place only when finished, a killed build leaves the old index serving,
// a damaged file stops the start-up with a message, and an engine running on
// a folder keeps answering from the files it opened while a rebuild replaces
// them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "include/qavlib.h"
#include "qav/index/build/pipeline_fixture.h"
#include "qav/index/build/build_stages.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/service/engines.h"

namespace {

namespace fs = std::filesystem;
using qztest::Gbk;
using qztest::ReadFile;
using qztest::TempDir;
using qztest::WriteAt;
using qztest::WriteCorpusList;

std::string SampleFile(const char* name) { return fs::absolute(qztest::DataDir() + "/sample/" + name).string(); }

// Starts the engine on dir (shutting down any other); false when it refuses.
// The start-up's output goes to *log when given.
bool StartOn(const std::string& dir, std::string* log = nullptr) {
    QAV_Exit();
    testing::internal::CaptureStdout();
    const bool started = QAV_Init(dir.c_str()) == 1;
    const std::string output = testing::internal::GetCapturedStdout();
    if (log) *log = output;
    return started;
}

// The answer of the started engine to a UTF-8 query.
std::string Answer(const std::string& query) {
    static const std::string parser = qztest::DataDir() + "/../../utils/Parser.lua";
    // One buffer for every query: the answer is written NUL-terminated.
    static std::vector<char> answer(QAV_MAX_ANSWER_BYTES);
    testing::internal::CaptureStdout();
    QAV_RunQAV(parser.c_str(), "", query.c_str(), answer.data());
    testing::internal::GetCapturedStdout();
    return answer.data();
}

std::vector<std::string> Answers(const std::vector<std::string>& queries) {
    std::vector<std::string> answers;
    for (const std::string& query : queries) answers.push_back(Answer(query));
    return answers;
}

// Queries that read every file the engine loads: words and their records,
// tags, document names and ranges, document information.
const std::vector<std::string> kQueries = {"人 => count", "<n> {author=[杜甫]} => count", "明月 => ctx 5 0 20 src"};

int Build(const std::string& config, const std::string& list, const std::string& dir) {
    const int result = qztest::BuildIndex(config, list, dir);
    qztest::CloseOpenBuildLog();
    return result;
}

class IndexIntegrity : public testing::Test {
protected:
    void TearDown() override {
        QAV_Exit();
        qav::GlobalExit();  // an engine whose start failed
        qav::SetBuildStageHook(nullptr);
    }

    std::string Config() { return WriteAt(tmp_, "config.json", qztest::PipelineConfig()); }
    std::string List(const std::vector<const char*>& files) {
        std::vector<std::string> paths;
        for (const char* file : files) paths.push_back(SampleFile(file));
        return WriteCorpusList(tmp_, paths);
    }

    TempDir tmp_;
};

// Every way of damaging every file of a built index: the engine refuses to
// start with a message, or answers exactly as on the intact index.
TEST_F(IndexIntegrity, DamagedFilesStopTheStartOrChangeNoAnswer) {
    const std::string intact = tmp_.file("intact");
    ASSERT_EQ(1, Build(Config(), List({"tang.txt", "tree_square.txt"}), intact));
    ASSERT_TRUE(StartOn(intact));
    const std::vector<std::string> expected = Answers(kQueries);
    ASSERT_NE(std::string::npos, expected[0].find("\"Count\"")) << expected[0];
    ASSERT_EQ(std::string::npos, expected[1].find("[0]")) << expected[1];

    struct Damage {
        const char* name;
        std::function<void(const std::string& path)> apply;
    };
    const Damage damages[] = {
        {"deleted", [](const std::string& path) { fs::remove(path); }},
        {"emptied", [](const std::string& path) { fs::resize_file(path, 0); }},
        {"cut in half", [](const std::string& path) { fs::resize_file(path, fs::file_size(path) / 2); }},
        {"bits flipped",
         [](const std::string& path) {
             std::string bytes = ReadFile(path);
             // Flips spread over the file, in the body of the data files too.
             for (size_t k = 1; k <= 16 && !bytes.empty(); ++k) bytes[bytes.size() * k / 17] ^= 0x10;
             qztest::WriteFile(path, bytes);
         }},
        {"appended to", [](const std::string& path) { qztest::WriteFile(path, ReadFile(path) + "appended\n"); }},
    };
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(intact))
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), intact).string());
    ASSERT_GT(files.size(), 10u);

    int refused = 0;
    const std::string dir = tmp_.file("damaged");
    fs::copy(intact, dir, fs::copy_options::recursive);
    for (const std::string& file : files) {
        for (const Damage& damage : damages) {
            damage.apply(dir + "/" + file);
            std::string log;
            if (StartOn(dir, &log)) {
                EXPECT_EQ(expected, Answers(kQueries)) << file << " " << damage.name << "\n" << log;
            } else {
                ++refused;
                EXPECT_NE(std::string::npos, log.find("Error")) << file << " " << damage.name << "\n" << log;
            }
            fs::copy_file(intact + "/" + file, dir + "/" + file, fs::copy_options::overwrite_existing);
        }
    }
    // Every file the engine reads refuses at least its deletion.
    EXPECT_GE(refused, 10);
}

// A build killed at the start of each of its stages, the last one being the
// swap into place: the old index answers as before, and nothing the killed
// build left starts.
TEST_F(IndexIntegrity, AKilledBuildLeavesTheOldIndexServing) {
    const std::string index = tmp_.file("index");
    const std::string config = Config();
    ASSERT_EQ(1, Build(config, List({"song.txt"}), index));
    ASSERT_TRUE(StartOn(index));
    const std::vector<std::string> before = Answers(kQueries);
    QAV_Exit();
    const std::string newList = List({"tree_round.txt"});

    static std::string s_stopAt;
    for (const char* stage : {"Preparing Files", "Read Files", "Org Info Init", "Count Unit Word", "Merge Hash",
                              "Hash to WordList", "Prune WordList", "Write Init Offset", "Create Offset",
                              "Sort Offset", "Write Idx Info", "Merge CorpusID Files",
                              "Idx Sent Info + Write Org Info (parallel)", "Write Checksums",
                              "Put Index In Place"}) {
        s_stopAt = stage;
        fflush(stdout);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            qav::SetBuildStageHook([](const std::string& name) {
                if (name == s_stopAt) raise(SIGKILL);
            });
            IdxMainAllInOne(config.c_str(), newList.c_str(), index.c_str());
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status)) << stage << ": the build was not stopped there";

        EXPECT_FALSE(StartOn(index + ".building")) << stage;
        ASSERT_TRUE(StartOn(index)) << stage;
        EXPECT_EQ(before, Answers(kQueries)) << stage;
    }

    // The next build clears what the killed one left and replaces the index.
    QAV_Exit();
    ASSERT_EQ(1, Build(config, newList, index));
    EXPECT_FALSE(fs::exists(index + ".building"));
    ASSERT_TRUE(StartOn(index));
    EXPECT_NE(before, Answers(kQueries));
}

// A failed rebuild leaves the old index whole, and a rebuild keeps the files
// of the folder that are not the index's own (the user's category table,
// earlier build logs).
TEST_F(IndexIntegrity, RebuildsKeepTheOldIndexUntilTheyHaveFinished) {
    const std::string index = tmp_.file("index");
    const std::string config = Config();
    ASSERT_EQ(1, Build(config, List({"song.txt"}), index));
    WriteAt(tmp_, "index/CatTable.txt", "#NUM\n" + Gbk("一") + "\n");
    const auto before = qztest::IndexFiles(index);
    const auto firstLogs = qztest::BuildLogs(index);

    const std::string failing = WriteAt(tmp_, "failing.json", qztest::PipelineConfig(",\"ThreadNum_Count\":0"));
    ASSERT_EQ(0, Build(failing, List({"tang.txt"}), index));
    EXPECT_EQ(before, qztest::IndexFiles(index));
    EXPECT_FALSE(fs::exists(index + ".building"));

    ASSERT_EQ(1, Build(config, List({"tang.txt"}), index));
    EXPECT_EQ(before.at("CatTable.txt"), ReadFile(index + "/CatTable.txt"));
    for (const std::string& log : firstLogs) EXPECT_TRUE(fs::exists(log)) << log;
    EXPECT_FALSE(fs::exists(index + ".building"));
}

// An engine running on the folder while another process rebuilds it keeps
// answering as the index it started on, also for records it first reads
// after the swap and from a thread that starts after it.
TEST_F(IndexIntegrity, ARunningEngineKeepsItsIndexThroughARebuild) {
    const std::string index = tmp_.file("index");
    const std::string config = Config();
    const std::string oldList = List({"tang.txt"});
    ASSERT_EQ(1, Build(config, oldList, index));
    const std::vector<std::string> queries = {"人 => count", "明月 => count", "<n> {author=[杜甫]} => count",
                                              "春风 => ctx 5 0 20 src", "山 => count", "白云 => count"};
    const std::string reference = tmp_.file("reference");
    fs::copy(index, reference, fs::copy_options::recursive);
    ASSERT_TRUE(StartOn(reference));
    const std::vector<std::string> expected = Answers(queries);

    ASSERT_TRUE(StartOn(index));
    EXPECT_EQ(expected[0], Answer(queries[0]));
    const std::string newList = List({"song.txt"});
    fflush(stdout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        _exit(IdxMainAllInOne(config.c_str(), newList.c_str(), index.c_str()) == 1 ? 0 : 1);
    }
    // Queries while the other process builds, and after it has swapped.
    int rounds = 0;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        EXPECT_EQ(expected[0], Answer(queries[0]));
        ++rounds;
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::vector<std::string> after;
    std::thread([&] { after = Answers(queries); }).join();
    EXPECT_EQ(expected, after) << rounds << " queries ran during the build";

    // Started again, the engine serves the new index.
    ASSERT_TRUE(StartOn(index));
    EXPECT_NE(expected, Answers(queries));
}

// Corpus input the build cannot take whole is named in the log, and the log
// ends with what the corpus gave.
TEST_F(IndexIntegrity, CorpusInputIsCheckedAndSummed) {
    const std::string config = Config();
    const std::string utf8 = WriteAt(tmp_, "utf8.txt", "我/r 爱/v\n人/n\n");
    const std::string longLine =
        WriteAt(tmp_, "long.txt", Gbk("我/r 爱/v\n") + std::string(217 * 1024, 'x') + "\n" + Gbk("人/n\n"));
    const std::string folder = tmp_.file("folder");
    fs::create_directories(folder);
    struct Case {
        std::vector<std::string> files;
        int result;
        std::vector<std::string> messages;
    } cases[] = {
        {{longLine},
         1,
         {"Warning: " + longLine + " line 2 dropped: longer than 102400 bytes\n",
          "Corpus summary: 1 of 1 listed file(s) read, 3 line(s), 1 dropped (1 too long, 0 with a zero byte)\n"}},
        {{longLine, utf8},
         0,
         {"Error: " + utf8 + " line 1 is not GBK text (byte 3), it reads as UTF-8; convert the file to GBK\n",
          "Corpus summary: 1 of 2 listed file(s) read, 4 line(s), 1 dropped (1 too long, 0 with a zero byte)\n"}},
        {{folder, longLine},
         0,
         {"Error: " + folder + " is a directory, not a corpus file\n",
          "Corpus summary: 0 of 2 listed file(s) read, 0 line(s), 0 dropped (0 too long, 0 with a zero byte)\n"}},
    };
    int run = 0;
    for (const Case& c : cases) {
        const std::string dir = tmp_.file("index" + std::to_string(run++));
        std::string output;
        EXPECT_EQ(c.result, qztest::BuildIndex(config, WriteCorpusList(tmp_, c.files), dir, &output));
        qztest::CloseOpenBuildLog();
        const auto logs = qztest::BuildLogs(dir);
        ASSERT_EQ(1u, logs.size());
        const std::string log = ReadFile(logs[0]);
        for (const std::string& message : c.messages) {
            EXPECT_NE(std::string::npos, output.find(message)) << output;
            EXPECT_NE(std::string::npos, log.find(message)) << log;
        }
        EXPECT_EQ(c.result == 1, StartOn(dir));
    }
}

}  // namespace
