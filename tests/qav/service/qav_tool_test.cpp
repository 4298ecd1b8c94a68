// The host program qav over the exported functions: index, query, the
// program view, and the HTTP service.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "http_client.h"
#include "service_fixture.h"

namespace {

using qztest::TempDir;
using qztest::WriteAt;

struct Result {
    int status = -1;
    std::string output;  // standard output and error
};

// The qav program of this build: the test program lives in BUILD/tests.
std::string QavPath() {
    const auto build = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
    return (build / "tools" / "qav" / "qav").string();
}

// The repository folder, where qav finds utils/Parser.lua as its working
// directory wherever the build folder is.
std::string RepositoryDir() { return qztest::DataDir() + "/../.."; }

// Runs qav with the arguments (shell words) in the repository folder.
Result Qav(const std::string& arguments) {
    const std::string command = "cd '" + RepositoryDir() + "' && '" + QavPath() + "' " + arguments + " 2>&1";
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) result.output.append(chunk, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(QavTool, BuildsAnIndexAndAnswersQueries) {
    TempDir tmp;
    const std::string config = WriteAt(tmp, "config.json", qztest::ServiceConfig());
    const std::string corpus = WriteAt(tmp, "one.txt", qztest::Gbk("我/r 爱/v 上海/ns\n"));
    const std::string list = WriteAt(tmp, "corpus.lst", corpus + "\n");
    const std::string index = tmp.file("index");

    const Result built = Qav("index '" + config + "' '" + list + "' '" + index + "'");
    EXPECT_EQ(0, built.status) << built.output;

    const Result program = Qav("query '" + index + "' 'return 6 * 7\n' 'error(\"x\")\n'");
    EXPECT_EQ(0, program.status) << program.output;
    EXPECT_NE(std::string::npos, program.output.find("\n42\n")) << program.output;
    EXPECT_NE(std::string::npos, program.output.find(":1: x\n")) << program.output;

    const Result shown = Qav("query --lua '" + index + "' 上海");
    EXPECT_EQ(0, shown.status) << shown.output;
    EXPECT_NE(std::string::npos, shown.output.find("--Lua\nlocal h = GetAS(\"<上\",\"上海\")")) << shown.output;
}

TEST(QavTool, FailuresExitWithAnError) {
    TempDir tmp;
    struct Case {
        std::string arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"", 2, "usage:"},
        {"query", 2, "usage:"},
        {"serve '" + tmp.file("missing") + "' 0", 1, "cannot start the engine"},
        {"query '" + tmp.file("missing") + "' cat", 1, "cannot start the engine"},
        {"index '" + tmp.file("no.json") + "' '" + tmp.file("no.lst") + "' '" + tmp.file("i") + "'", 1,
         "index build into"},
    };
    for (const Case& c : cases) {
        const Result result = Qav(c.arguments);
        EXPECT_EQ(c.status, result.status) << c.arguments << "\n" << result.output;
        EXPECT_NE(std::string::npos, result.output.find(c.message)) << c.arguments << "\n" << result.output;
    }
}

TEST(QavTool, ServesUntilSigterm) {
    TempDir tmp;
    const std::string index = qztest::BuildOneLineIndex(tmp, "index");
    const std::string port = std::to_string(qztest::FreePort());
    const std::string qav = QavPath();
    std::vector<std::string> words = {"qav", "serve", index, port};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ASSERT_EQ(0, posix_spawn_file_actions_init(&actions));
    ASSERT_EQ(0, posix_spawn_file_actions_addchdir_np(&actions, RepositoryDir().c_str()));
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, qav.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_EQ(0, spawned);

    qztest::HttpAnswer active;
    for (int attempt = 0; attempt < 600 && !active.replied; ++attempt) {
        try {
            active = qztest::HttpGet(std::stoi(port), "/isactive");
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    EXPECT_EQ("{\"status\":1}\n", active.body);
    EXPECT_EQ("{\"result\":\"42\"}\n", qztest::HttpPost(std::stoi(port), "/struct", "return 6 * 7\n").body);

    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
}

}  // namespace
