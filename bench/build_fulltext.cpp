// Builds a full-text index through the exported entry and reports the
// result, the wall time and the peak memory of the process.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "include/qavlib.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s CONFIG FILE_LIST INDEX_DIR\n", argv[0]);
        return 2;
    }
    std::fflush(stdout);
    std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
    const auto start = std::chrono::steady_clock::now();
    const int result = IdxBM(argv[1], argv[2], argv[3]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (quiet) std::fclose(quiet);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "  result %d, %.3f s, peak memory %.1f MB\n", result, seconds, usage.ru_maxrss / 1024.0);
    return result == 1 ? 0 : 1;
}
