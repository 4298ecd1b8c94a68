// Counting the frequency keys of many hits on worker threads with the result
// of counting them one after another through CountFreqKey.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "qav/search/rows/freq_map.h"

namespace qav {

// One accepted hit of a run: the number of its key within the run and the
// name of its document, an index of the distinct document names in
// ascending order (-1: none).
struct FreqRunHit {
    uint32_t key = 0;
    int32_t source = -1;
};

// The frequency keys of a run of hits taken in hit order (one share of a
// result): each distinct key is kept once, numbered in the order first met,
// so that a hit costs no copy of its key text.
class FreqKeyRun {
public:
    void Reserve(size_t hits) { m_hits.reserve(hits); }
    // The number of key, numbering it when it is new.
    uint32_t KeyNumber(const std::string& key);
    // Adds a hit with the key of that number and the given document.
    void AddHit(uint32_t key, int32_t source) { m_hits.push_back(FreqRunHit{key, source}); }
    void Add(const std::string& key, int32_t source) { AddHit(KeyNumber(key), source); }

    // Distinct keys by number.
    const std::vector<const std::string*>& Keys() const { return m_keys; }
    const std::vector<FreqRunHit>& Hits() const { return m_hits; }

private:
    // Nodes of the map stay where they are, so m_keys may point at its keys.
    std::unordered_map<std::string, uint32_t> m_numbers;
    std::vector<const std::string*> m_keys;
    std::vector<FreqRunHit> m_hits;
};

// One row of a frequency list: its text (FreqRowText) and count.
struct FreqKeyRow {
    std::string text;
    uint32_t count = 0;
};

// The rows that counting the hits of runs, taken run after run, into an
// empty map by CountFreqKey on each hit would give, in the map's order of
// iteration; a hit's document is sourceNames[source] (none for -1), the names
// being distinct and ascending. The keys
// are let in by their first hit up to the cap on keys; then each of
// `threads` workers counts the keys of one class of key numbers, all of a
// key's hits being in one class, so the cap on documents per key holds within
// a worker, and makes their row texts. False when memory ran out (rows are
// then left partly filled).
bool CountFreqKeyRuns(const std::vector<FreqKeyRun>& runs, const std::vector<std::string>& sourceNames, int threads,
                      std::vector<FreqKeyRow>& rows);

}  // namespace qav
