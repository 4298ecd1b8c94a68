#include "qav/search/rows/freq_map.h"

#include <charconv>
#include <string_view>

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

namespace {

// The row text of a key with sources of (name, count) items in name order.
template <typename Sources, typename NameOf>
std::string RowText(const std::string& key, const Sources& sources, NameOf nameOf) {
    if (sources.size() < 2) return key;
    // Items are written in place: a list of a frequent key has a hundred of
    // them, and each key of a list has one.
    std::string row = key + "#@#";
    const size_t listFrom = row.size();
    char digits[16];
    for (const auto& [name, count] : sources) {
        if (row.size() - listFrom > kSourceListBytes) break;
        const size_t itemFrom = row.size();
        row += nameOf(name);
        row += ':';
        row.append(digits, static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, count).ptr - digits));
        row += ' ';
        const std::string_view item(row.data() + itemFrom, row.size() - itemFrom);
        row.resize(itemFrom + qz::GbkPrefixLength(item, kSourceItemBytes));
    }
    if (row.size() > listFrom && row.back() == ' ') row.pop_back();
    return row;
}

}  // namespace

std::string FreqRowText(const std::string& key, const CFreqEntry& entry) {
    return RowText(key, entry.sources, [](const std::string& name) -> const std::string& { return name; });
}

std::string FreqRowText(const std::string& key, const std::vector<std::pair<const std::string*, uint32_t>>& sources) {
    return RowText(key, sources, [](const std::string* name) -> const std::string& { return *name; });
}

}  // namespace qav
