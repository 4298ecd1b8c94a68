// The frequency map: how often each key occurred, and in which documents.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

struct CFreqEntry {
    uint32_t count = 0;
    std::map<std::string, uint32_t> sources;  // document name -> occurrences
};

using CFreqMap = std::unordered_map<std::string, CFreqEntry>;

constexpr size_t kMaxFreqKeys = 2000;
constexpr size_t kMaxFreqSources = 200;

// Counts one occurrence of key in the document named source (empty: none).
// A new key beyond kMaxFreqKeys, and a new source beyond kMaxFreqSources of
// its key, are not counted.
void CountFreqKey(CFreqMap& map, const std::string& key, const std::string& source);

// Row text of one map entry: the key alone when it has fewer than two
// sources, else the key, "#@#" and "name:count" items in name order,
// separated by blanks.
std::string FreqRowText(const std::string& key, const CFreqEntry& entry);
