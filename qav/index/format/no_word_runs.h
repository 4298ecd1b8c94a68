// The places of a data file whose identifiers name no word: the header and
// tail blocks, and in a sound index nothing else. Found once when an engine
// loads, so that a query asks whether a place holds a word without a read of
// the word array, which would be a cache miss for nearly every hit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qav {

// Places [begin, end) that hold no word.
struct NoWordRun {
    uint32_t begin = 0;
    uint32_t end = 0;
};

// In order of place, none empty, none touching the next.
using NoWordRuns = std::vector<NoWordRun>;

// The runs of the count identifiers of words that are not below wordCount.
NoWordRuns FindNoWordRuns(const uint32_t* words, uint32_t count, uint32_t wordCount);

// Whether position lies in one of the runs.
inline bool InNoWordRun(const NoWordRuns& runs, uint32_t position) {
    const auto after = std::upper_bound(runs.begin(), runs.end(), position,
                                        [](uint32_t place, const NoWordRun& run) { return place < run.begin; });
    return after != runs.begin() && position < std::prev(after)->end;
}

}  // namespace qav
