// Compiles one rule-base list through the exported entry and reports the
// result, the wall time and the peak memory of the process on stderr.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "include/zellib.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LIST FOLDER\n", argv[0]);
        return 2;
    }
    // The compiler's own messages are not part of the figures.
    std::fflush(stdout);
    std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
    const auto start = std::chrono::steady_clock::now();
    const bool compiled = RuleIdx2(argv[1], argv[2]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (quiet) std::fclose(quiet);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "  compiled %s, %.3f s, peak memory %.1f MB\n", compiled ? "yes" : "no", seconds,
                 usage.ru_maxrss / 1024.0);
    return compiled ? 0 : 1;
}
