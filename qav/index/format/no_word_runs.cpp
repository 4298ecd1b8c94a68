#include "qav/index/format/no_word_runs.h"

namespace qav {

NoWordRuns FindNoWordRuns(const uint32_t* words, uint32_t count, uint32_t wordCount) {
    NoWordRuns runs;
    for (uint32_t i = 0; i < count;) {
        if (words[i] < wordCount) {
            ++i;
            continue;
        }
        NoWordRun run{i, i};
        while (run.end < count && words[run.end] >= wordCount) ++run.end;
        runs.push_back(run);
        i = run.end;
    }
    return runs;
}

}  // namespace qav
