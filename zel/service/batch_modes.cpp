#include "zel/service/batch_modes.h"

#include <cstdlib>
#include <cstring>

#include "common/platform/zq_thread.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/service/batch_run.h"
#include "zel/service/server_start.h"

namespace zel {

namespace {

constexpr int kDefaultInterval = 100;

// zel -file config ruleSet input output [interval]
int FileMode(int argc, char** argv) {
    if (argc < 6) return 0;
    g_bIsOutMsg = true;
    if (!InitServer(argv[2])) return -1;
    const int interval = argc == 7 ? std::atoi(argv[6]) : kDefaultInterval;
    Parser_File(argv[3], argv[4], argv[5], interval);
    ExitServer();
    zq_terminate_process();
    return 0;
}

// zel -files config ruleSet list threads [interval]; with one argument
// more, the last is the extra value and the interval stays at its default.
int FilesMode(int argc, char** argv) {
    if (argc < 6) return 0;
    // Set before any worker starts and left alone while they run.
    g_bIsOutMsg = false;
    if (!InitServer(argv[2])) {
        g_bIsOutMsg = true;
        return -1;
    }
    const int threads = std::atoi(argv[5]);
    int interval = kDefaultInterval;
    int extra = 0;
    if (argc == 7) {
        interval = std::atoi(argv[6]);
        if (interval == 1) g_bIsOutMsg = true;
    }
    if (argc == 8) extra = std::atoi(argv[7]);
    BatchFile_Thread(argv[4], argv[3], threads, interval, extra);
    ExitServer();
    zq_terminate_process();
    return 0;
}

}  // namespace

int BatchMode(int argc, char** argv) {
    return std::strcmp(argv[1], "-file") == 0 ? FileMode(argc, argv) : FilesMode(argc, argv);
}

}  // namespace zel
