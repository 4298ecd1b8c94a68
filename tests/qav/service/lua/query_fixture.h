// A structured search object whose Lua state runs query programs in tests,
// and a small in-memory engine for the functions that look into the index.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <lua.hpp>

#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/qav_search.h"
#include "qav/service/lua/query_state.h"

namespace qztest {

// Makes engine the process's structured engine for the scope.
class EngineScope {
public:
    explicit EngineScope(qav::CQAVEngine* engine) : previous_(qav::g_pCQAVEngine), kind_(qav::g_nEngineType) {
        qav::g_pCQAVEngine = engine;
        qav::g_nEngineType = qav::kEngineStructured;
    }
    ~EngineScope() {
        qav::g_pCQAVEngine = previous_;
        qav::g_nEngineType = kind_;
    }
    EngineScope(const EngineScope&) = delete;
    EngineScope& operator=(const EngineScope&) = delete;

private:
    qav::CQAVEngine* previous_;
    int kind_;
};

// Results of a chunk, each through tostring and joined by ","; a Lua error
// gives "error: " and its message.
inline std::string RunLua(lua_State* L, const std::string& code) {
    const int base = lua_gettop(L);
    if (luaL_loadstring(L, code.c_str()) != LUA_OK || lua_pcall(L, 0, LUA_MULTRET, 0) != LUA_OK) {
        std::string message = std::string("error: ") + lua_tostring(L, -1);
        lua_settop(L, base);
        return message;
    }
    std::string joined;
    for (int i = base + 1; i <= lua_gettop(L); ++i) {
        if (i > base + 1) joined += ",";
        size_t length = 0;
        const char* text = luaL_tolstring(L, i, &length);
        joined.append(text, length);
        lua_pop(L, 1);
    }
    lua_settop(L, base);
    return joined;
}

class QueryTest : public testing::Test {
protected:
    void SetUp() override {
        qav::g_nEngineType = qav::kEngineStructured;
        ASSERT_TRUE(search_.QAVSearchInit(false));
    }
    void TearDown() override { search_.QAVSearchExit(); }

    std::string Run(const std::string& code) { return RunLua(search_.LuaState(), code); }

    uint64_t A1() const { return search_.m_AtomRet[0].Handle(); }
    uint64_t A2() const { return search_.m_AtomRet[1].Handle(); }
    uint64_t M1() const { return search_.m_QAVRet[0].Handle(); }
    uint64_t M2() const { return search_.m_QAVRet[1].Handle(); }

    qav::CQAVSearch search_{qav::NewQueryState};
};

}  // namespace qztest
