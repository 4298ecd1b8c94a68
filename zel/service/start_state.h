// Process-wide start-up state of the grammar library: the folders a start
// reads, the library's own Lua state and the registry of named services.
// None of it is locked: starts, reloads and ends must not overlap with each
// other or with a rule run.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "zel/rules/format/run_switches.h"  // g_szNetPath: rule folder of the last FSA entry
#include "zel/service/service_registry.h"  // g_Server

struct lua_State;

namespace zel {

// Each text of a service holds at most 511 bytes, which bounds its URL.
constexpr size_t kServerFieldMax = 511;

extern bool g_bIsInit;
extern std::string g_psFSAPath;    // rule folder; once set it stays for the process
extern std::string g_psTablePath;  // table folder; once set it stays for the process
extern int g_nRuleHashNum;
extern std::string g_szFunc;       // operator library being loaded
extern lua_State* g_L;
extern std::string g_szLogFile;
extern std::string g_szSegPath;
extern bool g_bIsLMInit;

// Per-client result buffers of the corpus-query client threads, made with
// new[] on first use.
constexpr int kQueryClients = 20;
extern char* g_psRetJP[kQueryClients];
extern int g_nRetNumJP[kQueryClients];
extern int g_nCurrentRetNoJP;
// Client number -> result slot.
extern std::map<int, int> g_mapIP2No;

// Frees the result buffers and empties every slot, count and mapping.
void ResetQueryClientSlots();

}  // namespace zel
