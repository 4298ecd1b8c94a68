// Batch runs over text files: one file on the calling thread, and lists of
// files in batches of worker threads, with the rules and word table of
// tests/data/batch.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "include/zellib.h"
#include "support/test_support.h"
#include "zel/rules/format/run_switches.h"
#include "zel/service/batch_run.h"
#include "zel/service/command_line.h"
#include "zel/service/server_start.h"
#include "zel/service/start_state.h"

namespace zel {
namespace {

std::string BatchData(const char* name) { return qztest::ReadFile(qztest::DataDir() + "/batch/" + name); }

// What MAIN gives for tests/data/batch/text.txt: per analysed line a line
// feed, "#" + line, the return text and a blank.
std::string TextOutput() { return BatchData("text_out.txt"); }

// The engine started on the compiled rules and table of tests/data/batch.
class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        const std::string data = dir.file("data");
        qztest::WriteFile(dir.file("batch.txt"), qztest::Gbk(BatchData("rules.txt")));
        qztest::WriteFile(dir.file("colors.tab"), qztest::Gbk(BatchData("colors.tab")));
        {
            // The compiler leaves its intermediate files ("NP.reg", ...) in
            // the working folder, which test programs running at the same
            // time share.
            qztest::WorkingFolder compiling(dir.path());
            ASSERT_TRUE(RuleIdx2(dir.file("batch.txt").c_str(), data.c_str()));
            TableIdx2(dir.file("colors.tab").c_str(), data.c_str());
        }
        qztest::WriteFile(dir.file("config.txt"), "{\"Type\":\"FSA\",\"Path\":\"" + data + "\"}\n{\"Type\":\"Table\",\"Path\":\"" +
                                                      data + "\"}\n");
        ASSERT_TRUE(InitServer(dir.file("config.txt").c_str()));
        qztest::WriteFile(dir.file("text.txt"), qztest::Gbk(BatchData("text.txt")));
    }
    void TearDown() override {
        Reset();
        g_showMsg = false;
    }
    static void Reset() {
        ExitServer();
        g_psFSAPath.clear();
        g_psTablePath.clear();
    }
    // Runs one file with the output captured; the printed text.
    std::string Run(const std::string& input, const std::string& output, int interval, bool& ok) {
        testing::internal::CaptureStdout();
        ok = Parser_File("MAIN", input.c_str(), output.c_str(), interval);
        return testing::internal::GetCapturedStdout();
    }

    qztest::TempDir dir;
};

TEST_F(BatchRun, FileGivesEachLinesReturnText) {
    bool ok = false;
    const std::string printed = Run(dir.file("text.txt"), dir.file("out.txt"), 100, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(qztest::Utf8(qztest::ReadFile(dir.file("out.txt"))), TextOutput());
    EXPECT_EQ(printed.substr(printed.size() - 7), "\nDone!\n");
}

TEST_F(BatchRun, CommentLinesAreSkippedAndEmptyLinesAnalysed) {
    const struct {
        const char* input;
        const char* output;
    } cases[] = {
        // Nothing but comments: an output without content.
        {"# one\r\n#two\n#\n", ""},
        // An empty line is a sentence without text; the rules still run.
        {"\n# c\n\r\n", "\n#\n \n#\n "},
    };
    for (const auto& c : cases) {
        qztest::WriteFile(dir.file("in.txt"), c.input);
        qztest::WriteFile(dir.file("out.txt"), "old");
        bool ok = false;
        EXPECT_EQ(Run(dir.file("in.txt"), dir.file("out.txt"), 100, ok), "\nDone!\n") << c.input;
        EXPECT_TRUE(ok);
        EXPECT_EQ(qztest::ReadFile(dir.file("out.txt")), c.output) << c.input;
    }
}

TEST_F(BatchRun, UnopenableFilesWriteNothing) {
    bool ok = true;
    EXPECT_EQ(Run(dir.file("missing.txt"), dir.file("out.txt"), 100, ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(qztest::ReadFile(dir.file("out.txt")), "");
    EXPECT_EQ(Run(dir.file("text.txt"), dir.file("no/such/folder/out.txt"), 100, ok), "");
    EXPECT_FALSE(ok);
}

TEST_F(BatchRun, ProgressLinesEveryInterval) {
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += qztest::Gbk("红色的花\n");
    qztest::WriteFile(dir.file("many.txt"), lines);
    const std::string tag = "\t[" + dir.file("many.txt") + "]\n";
    g_showMsg = true;
    const struct {
        int interval;
        std::vector<int> counts;
    } cases[] = {
        {100, {100}},
        {30, {30, 60, 90}},
        {101, {}},
        // Below 1 every line reports, where a zero would divide by zero.
        {0, {1, 2, 3, 50, 99, 100}},
        {-4, {1, 2, 3, 50, 99, 100}},
    };
    for (const auto& c : cases) {
        bool ok = false;
        const std::string printed = Run(dir.file("many.txt"), dir.file("out.txt"), c.interval, ok);
        EXPECT_TRUE(ok);
        size_t reported = 0;
        for (size_t at = 0; (at = printed.find("Processing ", at)) != std::string::npos; ++at) ++reported;
        const size_t expected = c.interval >= 1 ? c.counts.size() : 100;
        EXPECT_EQ(reported, expected) << c.interval;
        for (int count : c.counts)
            EXPECT_NE(printed.find("Processing " + std::to_string(count) + tag), std::string::npos)
                << c.interval << " " << count;
    }
}

TEST_F(BatchRun, BatchesTakeThreadsNamesAtATime) {
    const struct {
        size_t names;
        int threads;
        std::vector<size_t> sizes;
    } cases[] = {
        {5, 2, {2, 2, 1}},
        {4, 2, {2, 2}},
        {3, 8, {3}},
        {0, 2, {}},
        // No threads, or fewer than none, run one file at a time.
        {2, 0, {1, 1}},
        {2, -3, {1, 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(BatchSizes(c.names, c.threads), c.sizes) << c.names << " " << c.threads;
}

TEST_F(BatchRun, ListRunsEveryNamedFile) {
    std::string list;
    for (int i = 1; i <= 5; ++i) {
        const std::string name = dir.file("in" + std::to_string(i) + ".txt");
        qztest::WriteFile(name, qztest::Gbk(BatchData("text.txt")));
        list += name + (i % 2 ? "\r\n" : "\n");
    }
    // Skipped: an empty line and a name that begins with a blank.
    qztest::WriteFile(dir.file("skipped.txt"), "x\n");
    list += "\n " + dir.file("skipped.txt") + "\n";
    qztest::WriteFile(dir.file("list.txt"), list);

    for (int threads : {2, 0}) {
        testing::internal::CaptureStdout();
        EXPECT_TRUE(BatchFile_Thread(dir.file("list.txt").c_str(), "MAIN", threads, 100, 9));
        const std::string printed = testing::internal::GetCapturedStdout();
        size_t done = 0;
        for (size_t at = 0; (at = printed.find("\nDone!\n", at)) != std::string::npos; ++at) ++done;
        EXPECT_EQ(done, 5u) << threads;
        for (int i = 1; i <= 5; ++i) {
            const std::string out = dir.file("in" + std::to_string(i) + ".txt_out");
            EXPECT_EQ(qztest::Utf8(qztest::ReadFile(out)), TextOutput()) << out;
            std::remove(out.c_str());
        }
        EXPECT_EQ(qztest::ReadFile(dir.file("skipped.txt_out")), "");
    }
}

TEST_F(BatchRun, MissingListFails) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(BatchFile_Thread(dir.file("none.txt").c_str(), "MAIN", 2, 100, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error open " + dir.file("none.txt") + "\n");
}

// Lists are not cut at 10,240 names: the last of a longer list still runs.
TEST_F(BatchRun, LongListsRunToTheEnd) {
    std::string list;
    for (int i = 0; i < 10240; ++i) list += dir.file("absent" + std::to_string(i)) + "\n";
    const std::string last = dir.file("last.txt");
    qztest::WriteFile(last, qztest::Gbk("红色的花\n"));
    list += last + "\n";
    qztest::WriteFile(dir.file("list.txt"), list);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(BatchFile_Thread(dir.file("list.txt").c_str(), "MAIN", 64, 100, 0));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(qztest::Utf8(qztest::ReadFile(last + "_out")), "\n#红色的花\ncolor   eat inner:红色的花 ");
}

}  // namespace
}  // namespace zel
