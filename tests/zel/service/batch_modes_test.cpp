// The "zel" program's batch modes "-file" and "-files", run as a child
// process in a folder holding the compiled rules and table of
// tests/data/batch.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace {

std::string BatchData(const char* name) { return qztest::ReadFile(qztest::DataDir() + "/batch/" + name); }

class BatchModes : public ::testing::Test {
protected:
    void SetUp() override {
        qztest::WriteFile(dir.file("batch.txt"), qztest::Gbk(BatchData("rules.txt")));
        qztest::WriteFile(dir.file("colors.tab"), qztest::Gbk(BatchData("colors.tab")));
        ASSERT_EQ(Zel("-fsa batch.txt data"), 0);
        Zel("-table colors.tab data");
        qztest::WriteFile(dir.file("config.txt"),
                          "{\"Type\":\"FSA\",\"Path\":\"./data\"}\n{\"Type\":\"Table\",\"Path\":\"./data\"}\n");
        qztest::WriteFile(dir.file("in.txt"), qztest::Gbk("# a comment\n红色的花\n{\"Units\":[\"红\",\"书\"],\"POS\":[\"a\",\"n\"]}\n"));
        std::string list;
        for (int i = 1; i <= 5; ++i) {
            qztest::WriteFile(dir.file("in" + std::to_string(i) + ".txt"), qztest::ReadFile(dir.file("in.txt")));
            list += "in" + std::to_string(i) + ".txt\n";
        }
        qztest::WriteFile(dir.file("list.txt"), list);
    }
    // Runs "zel ARGS" in the folder; its exit status (standard output in
    // zel_stdout.txt).
    int Zel(const std::string& args) {
        const std::string command =
            "cd '" + dir.path() + "' && '" QZ_ZEL_PROGRAM "' " + args + " > zel_stdout.txt 2>/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    }
    std::string Read(const std::string& name) { return qztest::Utf8(qztest::ReadFile(dir.file(name))); }
    int ListOutputs() {
        int written = 0;
        for (int i = 1; i <= 5; ++i) {
            const std::string out = dir.file("in" + std::to_string(i) + ".txt_out");
            if (Read("in" + std::to_string(i) + ".txt_out") == kInOutput) ++written;
            std::remove(out.c_str());
        }
        return written;
    }

    static constexpr const char* kInOutput =
        "\n#红色的花\ncolor   eat inner:红色的花 \n#{\"Units\":[\"红\",\"书\"],\"POS\":[\"a\",\"n\"]}\ncolor 书+红 书 eat "
        "inner:红书 ";
    qztest::TempDir dir;
};

TEST_F(BatchModes, FileWritesEachLinesReturnText) {
    EXPECT_EQ(Zel("-file config.txt MAIN in.txt out.txt"), 0);
    EXPECT_EQ(Read("out.txt"), kInOutput);
    EXPECT_NE(Read("zel_stdout.txt").find("\nDone!\n"), std::string::npos);
    // An interval argument changes nothing of the output.
    EXPECT_EQ(Zel("-file config.txt main in.txt out2.txt 0"), 0);
    EXPECT_EQ(Read("out2.txt"), kInOutput);
}

TEST_F(BatchModes, FilesWritesAnOutputPerListedFile) {
    const struct {
        const char* args;  // after "-files config.txt MAIN list.txt"
    } cases[] = {
        {"2"},
        {"5 1"},
        // An interval and threads of 0 run as 1.
        {"0 0"},
        // The extra value is taken and the interval stays.
        {"2 7 9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Zel(std::string("-files config.txt MAIN list.txt ") + c.args), 0) << c.args;
        EXPECT_EQ(ListOutputs(), 5) << c.args;
    }
}

TEST_F(BatchModes, ArgumentCountsAndFailedStarts) {
    const struct {
        const char* args;
        int status;
    } cases[] = {
        // Too few arguments do nothing.
        {"-file config.txt MAIN in.txt", 0},
        {"-file", 0},
        {"-files config.txt MAIN list.txt", 0},
        {"-files", 0},
        // A configuration that cannot be read fails before any run.
        {"-file missing.txt MAIN in.txt out.txt", 255},
        {"-files missing.txt MAIN list.txt 2", 255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Zel(c.args), c.status) << c.args;
        EXPECT_EQ(Read("zel_stdout.txt"), "") << c.args;
    }
    EXPECT_EQ(Read("out.txt"), "");
    EXPECT_EQ(ListOutputs(), 0);
}

}  // namespace
