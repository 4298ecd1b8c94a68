#include "zel/service/server_start.h"

#include <lua.hpp>

#include <cstdio>
#include <cstring>
#include <memory>

#include "zel/lattice/attribute_names.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/ops/operator_table.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/service/config_loaders.h"
#include "zel/service/lua/regist_func.h"
#include "zel/service/start_state.h"

namespace zel {

namespace {

constexpr const char* kDefaultFolder = "./data";

bool StartsWith(const char* line, const char* prefix) { return std::strncmp(line, prefix, std::strlen(prefix)) == 0; }

// Every test applies, so one line may reach several loaders.
void DispatchLine(const char* line) {
    if (StartsWith(line, "Service:")) AddServer(line + 8);
    if (StartsWith(line, "LM:")) LMInit(line + 3);
    if (StartsWith(line, "FSA:")) RuleInit(line + 4);
    if (StartsWith(line, "Table:")) CollInit(line + 6);
    if (StartsWith(line, "Log:")) LogInit(line + 4);
    if (std::strstr(line, "\"Name\"")) AddServer(line);
    if (std::strstr(line, "\"LM\"")) LMInit(line);
    if (std::strstr(line, "\"FSA\"")) RuleInit(line);
    if (std::strstr(line, "\"Table\"")) CollInit(line);
    if (std::strstr(line, "\"Log\"")) LogInit(line);
}

void DefaultFolders() {
    if (g_psFSAPath.empty()) g_psFSAPath = kDefaultFolder;
    if (g_psTablePath.empty()) g_psTablePath = kDefaultFolder;
}

}  // namespace

bool InitServer(const char* configPath) {
    if (g_bIsInit) return true;
    std::unique_ptr<FILE, decltype(&std::fclose)> file(configPath ? std::fopen(configPath, "rb") : nullptr,
                                                       &std::fclose);
    // A file that cannot be read starts nothing, so the next call may start
    // from a good file instead of reporting a start that never happened.
    if (!file) return false;
    g_szFunc.clear();
    if (!g_L) {
        g_L = luaL_newstate();
        luaL_openlibs(g_L);
        RegistFunc(g_L);
    }
    InitName2Type();
    g_bIsInit = true;
    char line[1024];
    while (std::fgets(line, sizeof line, file.get())) {
        size_t n = std::strlen(line);
        if (n > 0 && line[n - 1] == '\n') line[--n] = '\0';
        if (n > 0 && line[n - 1] == '\r') line[--n] = '\0';
        DispatchLine(line);
    }
    DefaultFolders();
    return true;
}

void ExitServer() {
    TableClusterExit();
    FuncExit();
    if (g_L) lua_close(g_L);
    g_L = nullptr;
    GlobalExit();
    g_bIsInit = false;
}

}  // namespace zel
