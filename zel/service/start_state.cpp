#include "zel/service/start_state.h"

namespace zel {

bool g_bIsInit = false;
std::string g_psFSAPath;
std::string g_psTablePath;
int g_nRuleHashNum = 10240;
std::string g_szFunc;
lua_State* g_L = nullptr;
std::string g_szLogFile;
std::string g_szSegPath;
bool g_bIsLMInit = false;

char* g_psRetJP[kQueryClients] = {};
int g_nRetNumJP[kQueryClients] = {};
int g_nCurrentRetNoJP = 0;
std::map<int, int> g_mapIP2No;

void ResetQueryClientSlots() {
    for (int i = 0; i < kQueryClients; ++i) {
        delete[] g_psRetJP[i];
        g_psRetJP[i] = nullptr;
        g_nRetNumJP[i] = 0;
    }
    g_nCurrentRetNoJP = 0;
    g_mapIP2No.clear();
}

}  // namespace zel
