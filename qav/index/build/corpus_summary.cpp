#include "qav/index/build/corpus_summary.h"

#include "qav/index/base/qav_log.h"

namespace qav {

void LogCorpusSummary(const CorpusSummary& s) {
    QavLog("Corpus summary: %d of %d listed file(s) read, %lld line(s), %lld dropped (%lld too long, %lld with a "
           "zero byte)\n",
           s.readFiles, s.listedFiles, static_cast<long long>(s.lines), static_cast<long long>(s.tooLong + s.withNul),
           static_cast<long long>(s.tooLong), static_cast<long long>(s.withNul));
}

void CorpusSummaryLog::Write() {
    if (written_) return;
    written_ = true;
    LogCorpusSummary(summary_);
}

}  // namespace qav
