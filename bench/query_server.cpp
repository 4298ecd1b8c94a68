// Answers queries for a benchmark driver that times another engine between
// them: starts the engine once, then reads one query per line from standard
// input, runs it through the exported query entry, writes the answer to
// ANSWER_FILE and prints the query's latency in milliseconds on a line of
// its own. Ends at the end of input.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "include/qavlib.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PARSER INDEX_DIR ANSWER_FILE\n", argv[0]);
        return 2;
    }
    const char* parser = argv[1];
    const char* indexDir = argv[2];
    // The engine's own messages go to standard error: standard output
    // carries the latencies only.
    std::fflush(stdout);
    const int latencyOut = dup(1);
    dup2(2, 1);
    std::FILE* latencies = fdopen(latencyOut, "w");
    if (!latencies || !QAV_Init(indexDir)) {
        std::fprintf(stderr, "cannot start the engine on %s\n", indexDir);
        return 1;
    }
    std::vector<char> answer(QAV_MAX_ANSWER_BYTES);
    std::string query;
    while (std::getline(std::cin, query)) {
        const auto start = std::chrono::steady_clock::now();
        const long length = QAV_RunQAV(parser, indexDir, query.c_str(), answer.data());
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::ofstream(argv[3], std::ios::binary | std::ios::trunc).write(answer.data(), length);
        std::fprintf(latencies, "%.3f\n", ms);
        std::fflush(latencies);
    }
    QAV_Exit();
    return 0;
}
