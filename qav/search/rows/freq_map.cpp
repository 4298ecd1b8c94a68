#include "qav/search/rows/freq_map.h"

#include "common/text/gbk_char.h"

namespace qav {

namespace {

// An item of the source list is cut at this many bytes; items are appended
// while the list is at most kSourceListBytes long.
constexpr size_t kSourceItemBytes = 1023;
constexpr size_t kSourceListBytes = 1024;

}  // namespace

void CountFreqKey(CFreqMap& map, const std::string& key, const std::string& source) {
    auto found = map.find(key);
    if (found == map.end()) {
        if (map.size() >= kMaxFreqKeys) return;
        found = map.emplace(key, CFreqEntry()).first;
    }
    CountFreqSource(found->second, source);
}

void CountFreqSource(CFreqEntry& entry, const std::string& source) {
    ++entry.count;
    if (source.empty()) return;
    auto known = entry.sources.find(source);
    if (known != entry.sources.end()) {
        ++known->second;
    } else if (entry.sources.size() < kMaxFreqSources) {
        entry.sources.emplace(source, 1);
    }
}

std::string FreqRowText(const std::string& key, const CFreqEntry& entry) {
    if (entry.sources.size() < 2) return key;
    std::string list;
    for (const auto& [name, count] : entry.sources) {
        if (list.size() > kSourceListBytes) break;
        std::string item = name + ":" + std::to_string(count) + " ";
        item.resize(qz::GbkPrefixLength(item, kSourceItemBytes));
        list += item;
    }
    if (!list.empty() && list.back() == ' ') list.pop_back();
    return key + "#@#" + list;
}

}  // namespace qav
