// What the preparation of a build made of its corpus: the build log ends with
// it, so that lines a build could not take never go unnoticed.
#pragma once

#include <cstdint>

namespace qav {

struct CorpusSummary {
    int listedFiles = 0;  // files the corpus list names
    int readFiles = 0;    // files read to their end
    int64_t lines = 0;    // lines read, dropped ones included
    int64_t tooLong = 0;  // dropped: longer than the longest line a build takes
    int64_t withNul = 0;  // dropped: holding a zero byte
};

// Logs "Corpus summary: %d of %d listed file(s) read, %lld line(s), %lld
// dropped (%lld too long, %lld with a zero byte)\n".
void LogCorpusSummary(const CorpusSummary& summary);

// Logs the summary when it goes out of scope, unless Write did already.
class CorpusSummaryLog {
public:
    explicit CorpusSummaryLog(const CorpusSummary& summary) : summary_(summary) {}
    ~CorpusSummaryLog() { Write(); }
    CorpusSummaryLog(const CorpusSummaryLog&) = delete;
    CorpusSummaryLog& operator=(const CorpusSummaryLog&) = delete;

    void Write();

private:
    const CorpusSummary& summary_;
    bool written_ = false;
};

}  // namespace qav
