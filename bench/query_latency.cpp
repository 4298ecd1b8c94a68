// Runs queries through the exported query entry, each a given number of
// times, and prints the median and 95th-percentile latency of every query,
// its hit figure and the peak memory of the process.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "include/qavlib.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Nearest-rank percentile of sorted latencies.
double Percentile(const std::vector<double>& sorted, double share) {
    const size_t rank = static_cast<size_t>(std::ceil(share * sorted.size()));
    return sorted[std::max<size_t>(rank, 1) - 1];
}

// The number after the first "key": of a JSON answer, or "-".
std::string FieldAfter(const std::string& answer, const std::string& key) {
    const size_t at = answer.find("\"" + key + "\":");
    if (at == std::string::npos) return "-";
    size_t from = answer.find_first_of("0123456789", at + key.size() + 3);
    if (from == std::string::npos) return "-";
    return answer.substr(from, answer.find_first_not_of("0123456789", from) - from);
}

// What the answer found: the total of context lines (hits in distinct
// sentences, or the engine's estimate), the number of rows of a frequency
// list, the first figure of a count.
std::string HitFigure(const std::string& answer) {
    if (answer.find("\"Type\":\t\"Context\"") != std::string::npos) return "Total " + FieldAfter(answer, "Total");
    if (answer.find("\"Type\":\t\"Freq\"") != std::string::npos) return FieldAfter(answer, "Count") + " texts";
    if (answer.find("\"Type\":\t\"Count\"") != std::string::npos) return FieldAfter(answer, "Freq") + " counted";
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s PARSER INDEX_DIR REPEAT QUERY...\n", argv[0]);
        return 2;
    }
    const char* parser = argv[1];
    const char* indexDir = argv[2];
    const int repeat = std::atoi(argv[3]);
    if (repeat < 1) {
        std::fprintf(stderr, "REPEAT must be at least 1\n");
        return 2;
    }

    // The engine's loading messages go to stdout; keep the table readable.
    std::fflush(stdout);
    const auto loadStart = Clock::now();
    const int started = QAV_Init(indexDir);
    const double loadMs = Milliseconds(loadStart);
    if (!started) {
        std::fprintf(stderr, "cannot start the engine on %s\n", indexDir);
        return 1;
    }
    std::printf("engine start %.1f ms, peak memory %.1f MB\n", loadMs, PeakMegabytes());
    // The query comes last: its width in columns is not its length in bytes.
    std::printf("%14s %10s %10s %10s %9s  %s\n", "found", "first ms", "median ms", "p95 ms", "peak MB", "query");

    std::vector<char> answer(QAV_MAX_ANSWER_BYTES);
    int failures = 0;
    for (int q = 4; q < argc; ++q) {
        std::vector<double> latencies;
        for (int run = 0; run < repeat; ++run) {
            const auto start = Clock::now();
            QAV_RunQAV(parser, indexDir, argv[q], answer.data());
            latencies.push_back(Milliseconds(start));
        }
        const std::string text = answer.data();
        std::string found = HitFigure(text);
        // A program may answer with a plain value (the HTTP benchmark's cheap query does).
        if (found.empty() && !text.empty() && text.find("error") == std::string::npos) found = "answered";
        if (found.empty()) {
            ++failures;
            std::fprintf(stderr, "query %s answered: %.300s\n", argv[q], text.c_str());
        }
        const double first = latencies.front();
        std::sort(latencies.begin(), latencies.end());
        std::printf("%14s %10.2f %10.2f %10.2f %9.1f  %s\n", found.empty() ? "error" : found.c_str(), first,
                    Percentile(latencies, 0.5), Percentile(latencies, 0.95), PeakMegabytes(), argv[q]);
        std::fflush(stdout);
    }
    QAV_Exit();
    return failures == 0 ? 0 : 1;
}
