#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/models/ngram_builder.h"
#include "zel/service/command_line.h"

namespace {

// Runs the command line in this process with "zel" and the arguments.
int Zel(std::vector<std::string> args) {
    args.insert(args.begin(), "zel");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    return zel::ZelMain(static_cast<int>(args.size()), argv.data());
}

TEST(NgramModes, BuildTheModelsOfTheFixture) {
    qztest::TempDir dir;
    const std::string data = qztest::DataDir() + "/ngram/";
    const struct {
        const char* option;
        const char* text;
        zel::NgramBuildMode mode;
    } cases[] = {
        {"-idxngram", "plain.txt", zel::NgramBuildMode::Plain},
        {"-idxngram_lm", "lm.txt", zel::NgramBuildMode::Backoff},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        const std::string idx = dir.file("m.idx"), dat = dir.file("m.dat");
        EXPECT_EQ(Zel({c.option, data + "chars.txt", data + c.text, idx, dat, "0"}), 0);
        // The same files as the builder writes when called directly.
        ASSERT_TRUE(zel::CreateIdx(data + "chars.txt", data + c.text, dir.file("r.idx"), dir.file("r.dat"), c.mode, 0));
        EXPECT_EQ(qztest::ReadFile(idx), qztest::ReadFile(dir.file("r.idx")));
        EXPECT_EQ(qztest::ReadFile(dat), qztest::ReadFile(dir.file("r.dat")));
        EXPECT_GT(qztest::ReadFile(dat).size(), 1u);
    }
}

TEST(NgramModes, ArgumentCountAndFailedBuild) {
    qztest::TempDir dir;
    for (const char* option : {"-idxngram", "-idxngram_lm"}) {
        SCOPED_TRACE(option);
        for (std::vector<std::string> args : {std::vector<std::string>{option, "a", "b", "c", "d"},
                                              std::vector<std::string>{option, "a", "b", "c", "d", "0", "extra"}}) {
            testing::internal::CaptureStdout();
            EXPECT_EQ(Zel(args), -1);
            EXPECT_NE(testing::internal::GetCapturedStdout().find("Usage:"), std::string::npos);
        }
        // Six arguments but no character list: the build fails and says so.
        EXPECT_EQ(Zel({option, dir.file("none.txt"), dir.file("none.txt"), dir.file("m.idx"), dir.file("m.dat"), "0"}),
                  -1);
    }
}

}  // namespace
