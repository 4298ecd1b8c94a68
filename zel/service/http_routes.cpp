#include "zel/service/http_routes.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "common/platform/file_handle.h"
#include "common/text/encoding.h"

#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/service/command_line.h"
#include "zel/service/http_server.h"
#include "zel/service/lua_memory_bound.h"
#include "zel/service/sentence_route.h"
#include "zel/service/web_request.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace zel {

std::string g_szPort = "0000";

namespace {

// Posted code that runs longer than this is stopped with an error, so that
// no client can hold the one-request-at-a-time server.
constexpr auto kPostedCodeTime = std::chrono::seconds(10);
constexpr int kHookInstructions = 10000;
// Posted code may hold this much memory; beyond it its allocations fail, so
// that no client can exhaust the process.
constexpr size_t kPostedCodeMemory = size_t{64} << 20;
// The answer of posted code fits the server's one-megabyte output buffer,
// with room left for the messages of the bounds.
constexpr size_t kPostedCodeAnswerBytes = 1048576;
constexpr char kTimePassed[] = "time limit of the request passed";
constexpr char kMemoryPassed[] = "memory limit of the request passed";

// The server runs one request at a time; the deadline belongs to it.
std::chrono::steady_clock::time_point g_deadline;
bool g_deadlinePassed = false;

// Example runs share their work folder; one runs at a time.
std::mutex g_mutexRunExample;
constexpr int kExampleLine = 65536;

void StopAtDeadline(lua_State* L, lua_Debug*) {
    if (std::chrono::steady_clock::now() <= g_deadline) return;
    g_deadlinePassed = true;
    luaL_error(L, kTimePassed);
}

}  // namespace

std::string RunPostedLua(const std::string& code) {
    ZelWebRequest request;
    request.limit = kPostedCodeAnswerBytes - 1 - (sizeof kTimePassed + 1) - (sizeof kMemoryPassed + 1);
    CLattice lattice;
    if (!lattice.LatticeInit(true) || !lattice.L) return request.out;
    lua_State* L = lattice.L;
    lua_setweb(L, &request);
    g_deadline = std::chrono::steady_clock::now() + kPostedCodeTime;
    g_deadlinePassed = false;
    lua_sethook(L, StopAtDeadline, LUA_MASKCOUNT, kHookInstructions);
    bool memoryPassed = false;
    {
        LuaMemoryBound bound(L, kPostedCodeMemory);
        if (luaL_loadbuffer(L, code.data(), code.size(), "=runlua") == LUA_OK) lua_pcall(L, 0, LUA_MULTRET, 0);
        lua_settop(L, 0);
        memoryPassed = bound.Passed();
    }
    lua_sethook(L, nullptr, 0, 0);
    lua_setweb(L, nullptr);
    lattice.LatticeExit(true);
    // Other errors of posted code are dropped; these say why the code
    // stopped short.
    if (g_deadlinePassed) request.out += std::string(kTimePassed) + "\r\n";
    if (memoryPassed) request.out += std::string(kMemoryPassed) + "\r\n";
    return request.out;
}

std::string RunPostedExample(const std::string& example, const std::string& port) {
    std::lock_guard<std::mutex> hold(g_mutexRunExample);
    const std::string work = "./work_" + port;
    const std::string exampleFile = work + "/zel.json", outputFile = work + "/out.txt";
    mkdir(work.c_str(), 0775);
    if (!example.empty()) {
        qz::FileHandle file = qz::OpenFile(exampleFile, "wb");
        if (file) std::fwrite(example.data(), 1, example.size(), file.get());
    }
    const std::string command = "./zel -run " + exampleFile + " " + outputFile + " " + work;
    if (std::system(command.c_str()) == -1) std::printf("can not run %s\n", command.c_str());
    std::string answer;
    if (qz::FileHandle out = qz::OpenFile(outputFile, "rb")) {
        char line[kExampleLine];
        std::vector<char> utf8(kExampleLine);
        while (std::fgets(line, sizeof line, out.get())) {
            gbk_to_utf8(line, utf8.data(), kExampleLine);
            utf8.back() = '\0';
            answer += utf8.data();
        }
    }
    std::remove(exampleFile.c_str());
    std::remove(outputFile.c_str());
    return answer;
}

namespace {

bool IsSentenceRoute(const std::string& url) { return url == "/" || url == "/zel"; }

}  // namespace

size_t MaxRequestBody(const std::string& url) {
    return IsSentenceRoute(url) ? kSentenceAnswerBytes - 1 : kMaxRequestBody;
}

bool AnswerRoute(const std::string& url, const std::string& body, std::string& answer, int& status) {
    answer.clear();
    status = 200;
    if (IsSentenceRoute(url)) {
        status = AnswerSentence(body, answer);
    } else if (url == "/isactive") {
        answer = "ok";
    } else if (url == "/version") {
        answer = std::string("v") + kZelVersion;
    } else if (url == "/runexample") {
        answer = RunPostedExample(body, g_szPort);
    } else if (url == "/runlua") {
        answer = RunPostedLua(body);
    } else {
        return false;
    }
    return true;
}

}  // namespace zel
