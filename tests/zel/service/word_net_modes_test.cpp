// "-idxnet" and "-idxnetlog": a word-network source compiled into a
// single-block rule-network file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/compiler/compiler_messages.h"
#include "zel/rules/format/run_switches.h"
#include "zel/rules/net/rule_net.h"
#include "zel/service/command_line.h"

namespace {

const char kSource[] = "( a ?b c )\n{\nf()\n}\n";

int RunZel(const qztest::TempDir& dir, const std::string& args, std::string* out = nullptr) {
    const std::string command =
        "cd '" + dir.path() + "' && '" QZ_ZEL_PROGRAM "' " + args + " > zel_stdout.txt 2>/dev/null";
    const int status = std::system(command.c_str());
    if (out) *out = qztest::ReadFile(dir.file("zel_stdout.txt"));
    std::remove(dir.file("zel_stdout.txt").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The network of a single-block file, as the rule base loads it.
std::vector<std::string> LoadedAtoms(const std::string& path, std::string& name) {
    zel::CRuleNet net;
    if (!net.RuleInit(path.c_str())) return {"(not loaded)"};
    name = net.name;
    return net.atoms;
}

}  // namespace

TEST(WordNetModes, IdxnetCompilesASourceIntoALoadableNetwork) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("np.reg"), kSource);
    EXPECT_EQ(0, RunZel(dir, "-idxnet np.reg np.fsa np.log"));
    std::string name;
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "f()\\@"}), LoadedAtoms(dir.file("np.fsa"), name));
    // The block is named after the word-network file it was made from.
    EXPECT_EQ("tmp_", name);
    EXPECT_NE(std::string::npos, qztest::ReadFile(dir.file("np.log")).find("CFG NET"));
    // Intermediate files are gone.
    EXPECT_FALSE(Exists(dir.file("tmp_")));
    EXPECT_FALSE(Exists(dir.file("np.reg.xml")));
}

TEST(WordNetModes, IdxnetlogKeepsTheIntermediateFiles) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("np.reg"), kSource);
    EXPECT_EQ(0, RunZel(dir, "-idxnetlog np.reg np.fsa np.log"));
    std::string name;
    EXPECT_EQ(4u, LoadedAtoms(dir.file("np.fsa"), name).size());
    EXPECT_EQ("np.reg_", name);
    EXPECT_TRUE(Exists(dir.file("np.reg_")));
    EXPECT_TRUE(Exists(dir.file("np.reg.xml")));
    EXPECT_FALSE(Exists(dir.file("tmp_")));
}

TEST(WordNetModes, FailuresAndWrongArgumentCounts) {
    qztest::TempDir dir;
    std::string out;
    EXPECT_EQ(255, RunZel(dir, "-idxnet missing.reg np.fsa np.log", &out));
    EXPECT_FALSE(Exists(dir.file("np.fsa")));
    const char* const wrong[] = {"-idxnet", "-idxnet a b", "-idxnet a b c d", "-idxnetlog a", "-idxnetlog a b c d"};
    for (const char* args : wrong) {
        EXPECT_EQ(255, RunZel(dir, args, &out)) << args;
        EXPECT_EQ(0u, out.find("zel v4.0.260328.0611_linux\n\nUsage:\n")) << args;
    }
}

// The progress switch is never set by these modes themselves; a host that
// sets it sees the outcome.
TEST(WordNetModes, OutcomeIsPrintedWithTheProgressSwitch) {
    qztest::TempDir dir;
    const qztest::WorkingFolder working(dir.path());
    ASSERT_TRUE(working.entered());
    qztest::WriteFile("np.reg", kSource);
    zel::g_showMsg = true;
    const struct {
        std::vector<std::string> args;
        int status;
        const char* tail;
    } cases[] = {
        {{"zel", "-idxnet", "np.reg", "np.fsa", "np.log"}, 0, "Done!\n"},
        {{"zel", "-idxnet", "missing.reg", "np.fsa", "np.log"}, -1, "Fail!\n"},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv;
        for (const std::string& arg : c.args) argv.push_back(const_cast<char*>(arg.c_str()));
        testing::internal::CaptureStdout();
        const int status = zel::ZelMain(static_cast<int>(argv.size()), argv.data());
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(c.status, status) << c.args[2];
        EXPECT_EQ(c.tail, printed.substr(printed.size() - std::min<size_t>(printed.size(), 6))) << printed;
    }
    zel::g_showMsg = false;
    zel::g_bIsLogOn = false;
    std::signal(SIGCHLD, SIG_DFL);
}
