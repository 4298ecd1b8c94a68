// Runs one index build through an exported entry with the builder's own
// messages silenced, and reports the result, the wall time and the peak
// memory of the process on stderr.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

template <typename Build>
int RunTimedBuild(int argc, char** argv, const char* usage, Build build) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
        return 2;
    }
    // The builder's own messages go to the build log.
    std::fflush(stdout);
    std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
    const auto start = std::chrono::steady_clock::now();
    const int result = build(argv[1], argv[2], argv[3]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (quiet) std::fclose(quiet);
    rusage usage_now{};
    getrusage(RUSAGE_SELF, &usage_now);
    std::fprintf(stderr, "  result %d, %.3f s, peak memory %.1f MB\n", result, seconds, usage_now.ru_maxrss / 1024.0);
    return result == 1 ? 0 : 1;
}
