// Counting the frequency keys of many hits on worker threads with the result
// of counting them one after another through CountFreqKey.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "qav/search/rows/freq_map.h"

namespace qav {

// The frequency key of one accepted hit, the name of its document and the
// key's hash (std::hash), which decides the thread that counts it.
struct FreqKeyHit {
    FreqKeyHit(std::string keyText, std::string sourceName)
        : key(std::move(keyText)), source(std::move(sourceName)), hash(std::hash<std::string>{}(key)) {}
    std::string key;
    std::string source;
    size_t hash;
};

// Counts the hits of runs, taken run after run, into the empty map as
// CountFreqKey on each hit in that order would. Each of `threads` workers
// counts the keys of one class of hashes, all of a key's hits being in one
// class, so the cap on documents per key holds within a worker; the keys are
// then let in by their first hit up to the cap on keys. False when memory ran
// out (the map is then left partly filled).
bool CountFreqKeyHits(const std::vector<std::vector<FreqKeyHit>>& runs, int threads, CFreqMap& map);

}  // namespace qav
