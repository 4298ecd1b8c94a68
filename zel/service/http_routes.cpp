#include "zel/service/http_routes.h"

#include <chrono>

#include "zel/lattice/lattice.h"
#include "zel/lattice/lua_slots.h"
#include "zel/service/command_line.h"
#include "zel/service/web_request.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace zel {

namespace {

// Posted code that runs longer than this is stopped with an error, so that
// no client can hold the one-request-at-a-time server.
constexpr auto kPostedCodeTime = std::chrono::seconds(10);
constexpr int kHookInstructions = 10000;

// The server runs one request at a time; the deadline belongs to it.
std::chrono::steady_clock::time_point g_deadline;

void StopAtDeadline(lua_State* L, lua_Debug*) {
    if (std::chrono::steady_clock::now() > g_deadline) luaL_error(L, "time limit of the request passed");
}

}  // namespace

std::string RunPostedLua(const std::string& code) {
    ZelWebRequest request;
    CLattice lattice;
    if (!lattice.LatticeInit(true) || !lattice.L) return request.out;
    lua_State* L = lattice.L;
    lua_setweb(L, &request);
    g_deadline = std::chrono::steady_clock::now() + kPostedCodeTime;
    lua_sethook(L, StopAtDeadline, LUA_MASKCOUNT, kHookInstructions);
    if (luaL_loadbuffer(L, code.data(), code.size(), "=runlua") == LUA_OK) lua_pcall(L, 0, LUA_MULTRET, 0);
    lua_settop(L, 0);
    lua_sethook(L, nullptr, 0, 0);
    lua_setweb(L, nullptr);
    lattice.LatticeExit(true);
    return request.out;
}

bool AnswerRoute(const std::string& url, const std::string& body, std::string& answer) {
    answer.clear();
    if (url == "/isactive") {
        answer = "ok";
    } else if (url == "/version") {
        answer = std::string("v") + kZelVersion;
    } else if (url == "/runlua") {
        answer = RunPostedLua(body);
    } else {
        return false;
    }
    return true;
}

}  // namespace zel
