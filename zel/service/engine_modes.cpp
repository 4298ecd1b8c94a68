#include "zel/service/engine_modes.h"

#include "zel/rules/tables/table_functions.h"
#include "zel/service/server_start.h"

namespace zel {

int DumpMode(int argc, char** argv) {
    if (argc != 4) return 0;
    if (!InitServer(argv[2])) return -1;
    TableClusterDump2File(argv[3]);
    ExitServer();
    return 0;
}

}  // namespace zel
