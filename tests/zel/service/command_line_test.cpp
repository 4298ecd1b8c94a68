// The "zel" program's modes, run as a child process for their exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "zel/service/output_names.h"

namespace {

struct ZelRun {
    int status;
    std::string out;
};

// Runs "zel ARGS" in dir and returns its exit status and standard output.
ZelRun RunZel(const qztest::TempDir& dir, const std::string& args) {
    const std::string command =
        "cd '" + dir.path() + "' && '" QZ_ZEL_PROGRAM "' " + args + " > zel_stdout.txt 2>/dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1000, qztest::ReadFile(dir.file("zel_stdout.txt"))};
}

TEST(CommandLine, VersionUsageAndUnknownModes) {
    qztest::TempDir dir;
    ZelRun version = RunZel(dir, "-v");
    EXPECT_EQ(version.status, 1);
    EXPECT_EQ(version.out, "v4.0.260328.0611_linux\n");

    ZelRun usage = RunZel(dir, "");
    EXPECT_EQ(usage.status, 255);
    EXPECT_EQ(usage.out.rfind("zel v4.0.260328.0611_linux\n\nUsage:\n", 0), 0u);
    EXPECT_NE(usage.out.find(" -table file[In]  path\n"), std::string::npos);
    EXPECT_NE(usage.out.find(" -files config fsa filelist MaxThreadNum\n\n"), std::string::npos);

    // Wrong counts: the rule modes print the usage and fail, the table modes do nothing.
    EXPECT_EQ(RunZel(dir, "-fsa a").status, 255);
    EXPECT_EQ(RunZel(dir, "-idxrulelog a b").status, 255);
    const ZelRun table = RunZel(dir, "-table a b c");
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out, "");
    EXPECT_EQ(RunZel(dir, "-nothing").status, 0);
}

TEST(CommandLine, CompilesRulesAndTablesIntoFolder) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("np.txt"), "FSA NP\n( a )\n{\nf()\n}\n");
    EXPECT_EQ(RunZel(dir, "-fsa np.txt out").status, 0);
    EXPECT_FALSE(qztest::ReadFile(dir.file("out/npfsa.idx")).empty());
    EXPECT_FALSE(qztest::ReadFile(dir.file("out/npfsa.dat")).empty());

    qztest::WriteFile(dir.file("words.tab"), qztest::Gbk(".T\n甲\n"));
    qztest::WriteFile(dir.file("out/wordstable.dat"), "stale");
    // The table modes answer -1 even after a build.
    EXPECT_EQ(RunZel(dir, "-table words.tab out/").status, 255);
    EXPECT_FALSE(qztest::ReadFile(dir.file("out/wordstable.idx")).empty());
    EXPECT_NE(qztest::ReadFile(dir.file("out/wordstable.dat")), "stale");
}

TEST(CommandLine, OutputBaseNames) {
    const struct {
        const char* source;
        const char* base;
    } cases[] = {
        {"rules/np.txt", "np"},
        {"a\\b\\np.txt", "np"},
        {"a\\b/np.x.txt", "np.x"},
        {"np", "np"},
    };
    for (const auto& c : cases) EXPECT_EQ(zel::SourceBaseName(c.source), c.base) << c.source;
}

TEST(CommandLine, LuaFileRunsAndReportsErrors) {
    qztest::TempDir dir;
    qztest::WriteFile(dir.file("ok.lua"), "print('hello', 2)\n");
    qztest::WriteFile(dir.file("bad.lua"), "print('first')\nerror('broken')\n");
    const ZelRun ok = RunZel(dir, "-lua ok.lua");
    EXPECT_EQ(ok.status, 0);
    EXPECT_NE(ok.out.find("hello\t2\n"), std::string::npos);
    const ZelRun bad = RunZel(dir, "-lua bad.lua");
    EXPECT_EQ(bad.status, 0);
    EXPECT_NE(bad.out.find("first\n"), std::string::npos);
    EXPECT_NE(bad.out.find("broken"), std::string::npos);
    EXPECT_NE(RunZel(dir, "-lua missing.lua").out.find("missing.lua"), std::string::npos);
    EXPECT_EQ(RunZel(dir, "-lua").status, 0);
}

// A table built into dir/data and a configuration that names it, with a
// rule folder (where dumps are written, in its "table" folder).
void WriteEngine(const qztest::TempDir& dir) {
    qztest::WriteFile(dir.file("colors.tab"), qztest::Gbk(".颜色\n红\n绿\n"));
    ASSERT_EQ(RunZel(dir, "-table colors.tab data").status, 255);
    ASSERT_EQ(std::system(("mkdir -p '" + dir.file("data/table") + "'").c_str()), 0);
    qztest::WriteFile(dir.file("zel.cfg"), "Table:{\"Path\":\"data\"}\nFSA:{\"Path\":\"data\"}\n");
}

TEST(CommandLine, LuaFileRunsAgainstTheEngineOfItsConfiguration) {
    qztest::TempDir dir;
    WriteEngine(dir);
    qztest::WriteFile(dir.file("ask.lua"), qztest::Gbk("print(IsTable('颜色', '红'), IsTable('颜色', '蓝'))\n"));
    const struct {
        const char* args;
        const char* out;
    } cases[] = {
        {"-lua ask.lua zel.cfg", "true\tfalse\n"},
        {"-lua ask.lua", "false\tfalse\n"},          // no configuration: no tables
        {"-lua ask.lua missing.cfg", "false\tfalse\n"},  // the file runs without an engine
        {"-lua ask.lua zel.cfg extra", "false\tfalse\n"},
    };
    for (const auto& c : cases) {
        const ZelRun run = RunZel(dir, c.args);
        EXPECT_EQ(run.status, 0) << c.args;
        EXPECT_EQ(run.out, c.out) << c.args;
    }
}

TEST(CommandLine, DumpWritesTheTableCluster) {
    qztest::TempDir dir;
    WriteEngine(dir);
    EXPECT_EQ(RunZel(dir, "-dump zel.cfg tables.txt").status, 0);
    const std::string dump = qztest::ReadFile(dir.file("data/table/tables.txt"));
    EXPECT_NE(dump.find(qztest::Gbk(".颜色\n")), std::string::npos) << dump;
    EXPECT_NE(dump.find(qztest::Gbk("绿")), std::string::npos) << dump;
    // A configuration that cannot be read starts nothing and fails; a wrong
    // count does nothing.
    EXPECT_EQ(RunZel(dir, "-dump missing.cfg other.txt").status, 255);
    EXPECT_EQ(RunZel(dir, "-dump zel.cfg").status, 0);
    EXPECT_EQ(RunZel(dir, "-dump zel.cfg a b").status, 0);
    EXPECT_NE(access(dir.file("data/table/other.txt").c_str(), F_OK), 0);
}

}  // namespace

namespace {

// The example's program must be "./zel" in the working folder, as the
// example run starts it for its builds.
TEST(CommandLine, ExampleRunUnpacksBuildsAndCopiesPrints) {
    qztest::TempDir dir;
    ASSERT_EQ(symlink(QZ_ZEL_PROGRAM, dir.file("zel").c_str()), 0);
    qztest::WriteFile(dir.file("ex.json"),
                      R"J({"LUA":"print('词语', 1)\nprint('@_@none.png')","tab":".T\n甲\n","fsa":"FSA NP\n( a )\n{\nf()\n}\n"})J");
    EXPECT_EQ(RunZel(dir, "-run ex.json out.txt").status, 0);
    EXPECT_EQ(qztest::ReadFile(dir.file("out.txt")), qztest::Gbk("词语\t1\n"));
    EXPECT_FALSE(qztest::ReadFile(dir.file("work/data/examtable.idx")).empty());
    EXPECT_FALSE(qztest::ReadFile(dir.file("work/data/examfsa.idx")).empty());
    EXPECT_EQ(qztest::ReadFile(dir.file("work/config.txt")),
              "{\"Type\":\"Table\",\"Path\":\"./work/data/\"}\r\n{\"Type\":\"FSA\",\"Path\":\"./work/data/\"}\r\n");
    // The rule source overwrites the table source.
    EXPECT_EQ(qztest::ReadFile(dir.file("work/exam.tab")), "FSA NP\n( a )\n{\nf()\n}\n");

    // Without "fsa" only the folders are made and the old files removed.
    qztest::WriteFile(dir.file("part.json"), R"J({"lua":"print(1)","tab":""})J");
    EXPECT_EQ(RunZel(dir, "-run part.json out.txt other/").status, 0);
    EXPECT_EQ(qztest::ReadFile(dir.file("out.txt")), "");
    EXPECT_EQ(qztest::ReadFile(dir.file("other/config.txt")), "");
    EXPECT_EQ(access(dir.file("other/image").c_str(), F_OK), 0);
}

}  // namespace
