// The frequency map: how often each key occurred, and in which documents.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qav {

struct CFreqEntry {
    uint32_t count = 0;
    std::map<std::string, uint32_t> sources;  // document name -> occurrences
};

using CFreqMap = std::unordered_map<std::string, CFreqEntry>;

// One text with its count.
class CFreq {
public:
    // Empty text, count 0.
    void FreqInit() {
        m_text.clear();
        m_nCount = 0;
    }
    // Replaces the text by a copy of text and sets the count.
    void AddRect(const std::string& text, int32_t count) {
        m_text = text;
        m_nCount = count;
    }
    // Frees the text.
    void FreqExit() { std::string().swap(m_text); }

    std::string m_text;
    int32_t m_nCount = 0;
};

constexpr size_t kMaxFreqKeys = 2000;
constexpr size_t kMaxFreqSources = 200;

// Counts one occurrence of key in the document named source (empty: none).
// A new key beyond kMaxFreqKeys, and a new source beyond kMaxFreqSources of
// its key, are not counted.
void CountFreqKey(CFreqMap& map, const std::string& key, const std::string& source);
// Counts one occurrence of the entry's key in the document named source, as
// CountFreqKey does once the key is in the map.
void CountFreqSource(CFreqEntry& entry, const std::string& source);

// Row text of one map entry: the key alone when it has fewer than two
// sources, else the key, "#@#" and "name:count" items in name order,
// separated by blanks.
std::string FreqRowText(const std::string& key, const CFreqEntry& entry);
// The same from the key's documents as (name, occurrences) in name order.
std::string FreqRowText(const std::string& key, const std::vector<std::pair<const std::string*, uint32_t>>& sources);

}  // namespace qav
