#include "qav/search/rows/freq_key_hits.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <new>
#include <string_view>
#include <utility>

#include "qav/search/merge/parallel_shares.h"

namespace qav {

namespace {

// The number of a key that is not let in.
constexpr uint32_t kKeyLeftOut = std::numeric_limits<uint32_t>::max();

// Numbers the keys of all runs in the order a single walk meets them, up to
// the cap on keys: numbers[r][k] is the number of key k of run r, or
// kKeyLeftOut; texts holds the key of each number.
void NumberKeys(const std::vector<FreqKeyRun>& runs, std::vector<std::vector<uint32_t>>& numbers,
                std::vector<const std::string*>& texts) {
    std::unordered_map<std::string_view, uint32_t> known;
    numbers.resize(runs.size());
    for (size_t r = 0; r < runs.size(); ++r) {
        // A run numbers its keys by first hit, so taking them in that order
        // meets each new key at its first hit.
        numbers[r].reserve(runs[r].Keys().size());
        for (const std::string* key : runs[r].Keys()) {
            uint32_t number = kKeyLeftOut;
            if (auto found = known.find(*key); found != known.end()) {
                number = found->second;
            } else if (texts.size() < kMaxFreqKeys) {
                number = static_cast<uint32_t>(texts.size());
                known.emplace(*key, number);
                texts.push_back(key);
            }
            numbers[r].push_back(number);
        }
    }
}

// The counts of one key while its hits are counted: documents by number.
struct KeyCounts {
    uint32_t count = 0;
    std::unordered_map<int32_t, uint32_t> sources;

    // As CountFreqSource does with the document's name.
    void Count(int32_t source) {
        ++count;
        if (source < 0) return;
        if (auto known = sources.find(source); known != sources.end()) {
            ++known->second;
        } else if (sources.size() < kMaxFreqSources) {
            sources.emplace(source, 1);
        }
    }
};

}  // namespace

uint32_t FreqKeyRun::KeyNumber(const std::string& key) {
    auto [found, isNew] = m_numbers.try_emplace(key, static_cast<uint32_t>(m_keys.size()));
    if (isNew) m_keys.push_back(&found->first);
    return found->second;
}

bool CountFreqKeyRuns(const std::vector<FreqKeyRun>& runs, const std::vector<std::string>& sourceNames, int threads,
                      std::vector<FreqKeyRow>& rows) {
    const uint32_t classes = static_cast<uint32_t>(std::max(threads, 1));
    std::vector<std::vector<uint32_t>> numbers;
    std::vector<const std::string*> texts;
    std::vector<KeyCounts> counts;
    std::vector<std::string> rowTexts;
    try {
        NumberKeys(runs, numbers, texts);
        counts.resize(texts.size());
        rowTexts.resize(texts.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::atomic<bool> noMemory{false};
    RunShares(static_cast<int>(classes), [&](int which) {
        try {
            for (size_t r = 0; r < runs.size(); ++r) {
                for (const FreqRunHit& hit : runs[r].Hits()) {
                    const uint32_t number = numbers[r][hit.key];
                    if (number != kKeyLeftOut && number % classes == static_cast<uint32_t>(which))
                        counts[number].Count(hit.source);
                }
            }
            std::vector<std::pair<const std::string*, uint32_t>> sources;
            for (size_t number = static_cast<size_t>(which); number < counts.size(); number += classes) {
                sources.clear();
                for (const auto& [source, count] : counts[number].sources)
                    sources.emplace_back(&sourceNames[static_cast<size_t>(source)], count);
                // Numbers of documents stand for distinct names.
                std::sort(sources.begin(), sources.end(), [](const auto& a, const auto& b) { return *a.first < *b.first; });
                rowTexts[number] = FreqRowText(*texts[number], sources);
                counts[number].sources = {};
            }
        } catch (const std::bad_alloc&) {
            noMemory = true;
        }
    });
    if (noMemory) return false;
    try {
        // The order of iteration of the map depends only on its keys and the
        // order of their insertion: the keys are let in by number as the
        // counting map lets them in.
        std::unordered_map<std::string, uint32_t> order;
        for (size_t number = 0; number < texts.size(); ++number)
            order.emplace(*texts[number], static_cast<uint32_t>(number));
        rows.reserve(rows.size() + order.size());
        for (const auto& [key, number] : order) rows.push_back(FreqKeyRow{std::move(rowTexts[number]), counts[number].count});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace qav
