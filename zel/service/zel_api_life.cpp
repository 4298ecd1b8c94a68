// Exported life cycle: start from a configuration file, reload, lattices.
#include "include/zellib.h"
#include "zel/lattice/lattice.h"
#include "zel/service/runtime_shims.h"
#include "zel/service/server_start.h"
#include "zel/service/start_state.h"

extern "C" {

int ZEL_DataInit(const char* configPath, const char* dataFolder) {
    if (dataFolder && *dataFolder) {
        zel::_mkdir(dataFolder);
        zel::g_psTablePath = dataFolder;
        zel::g_psFSAPath = dataFolder;
    }
    if (configPath && *configPath) zel::InitServer(configPath);
    return 1;
}

int ZEL_ReLoad(const char* configPath) {
    zel::ExitServer();
    zel::InitServer(configPath);
    return 1;
}

void* ZEL_LatticeInit(void) {
    auto* lattice = new zel::CLattice();
    lattice->LatticeInit(true);
    return lattice;
}

void ZEL_Term(void* handle) {
    if (auto* lattice = static_cast<zel::CLattice*>(handle)) {
        lattice->LatticeExit(true);
        delete lattice;
    }
    zel::ExitServer();
}

}  // extern "C"

lua_State* Get_lua_State() { return zel::g_L; }
