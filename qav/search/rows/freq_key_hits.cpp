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

// Occurrences of the documents of the keys one worker counts, by (key
// number, document number): one open-addressing table for all its keys
// rather than a map of nodes per key.
class DocumentCounts {
public:
    // Counts one hit of key `number` in document `source` as CountFreqSource
    // does with the document's name: a document new to a key that has
    // kMaxFreqSources of them already is not counted.
    void Count(uint32_t number, int32_t source, uint32_t& distinct) {
        const uint64_t pair = (uint64_t{number} << 32) | static_cast<uint32_t>(source);
        size_t slot = Slot(pair);
        while (m_pairs[slot] != kEmptySlot) {
            if (m_pairs[slot] == pair) {
                ++m_counts[slot];
                return;
            }
            slot = (slot + 1) & (m_pairs.size() - 1);
        }
        if (distinct >= kMaxFreqSources) return;
        ++distinct;
        m_pairs[slot] = pair;
        m_counts[slot] = 1;
        if (++m_used * 2 > m_pairs.size()) Grow();
    }

    // Calls visit(number, source, count) for every pair counted.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (size_t slot = 0; slot < m_pairs.size(); ++slot)
            if (m_pairs[slot] != kEmptySlot)
                visit(static_cast<uint32_t>(m_pairs[slot] >> 32), static_cast<int32_t>(m_pairs[slot] & 0xFFFFFFFFu),
                      m_counts[slot]);
    }

private:
    static constexpr uint64_t kEmptySlot = ~uint64_t{0};  // no key number is kKeyLeftOut when counted

    size_t Slot(uint64_t pair) const {
        return static_cast<size_t>((pair * 0x9E3779B97F4A7C15ull) >> 32) & (m_pairs.size() - 1);
    }

    void Grow() {
        std::vector<uint64_t> pairs(m_pairs.size() * 2, kEmptySlot);
        std::vector<uint32_t> counts(pairs.size(), 0);
        pairs.swap(m_pairs);
        counts.swap(m_counts);
        for (size_t old = 0; old < pairs.size(); ++old) {
            if (pairs[old] == kEmptySlot) continue;
            size_t slot = Slot(pairs[old]);
            while (m_pairs[slot] != kEmptySlot) slot = (slot + 1) & (m_pairs.size() - 1);
            m_pairs[slot] = pairs[old];
            m_counts[slot] = counts[old];
        }
    }

    std::vector<uint64_t> m_pairs = std::vector<uint64_t>(1024, kEmptySlot);
    std::vector<uint32_t> m_counts = std::vector<uint32_t>(1024, 0);
    size_t m_used = 0;
};

// A document of a key for its row text, and its occurrences.
struct KeyDocument {
    uint32_t number;
    int32_t source;
    uint32_t count;
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
    // Per key number: hits, and documents let in.
    std::vector<uint32_t> counts;
    std::vector<uint32_t> distinct;
    std::vector<std::string> rowTexts;
    try {
        NumberKeys(runs, numbers, texts);
        counts.resize(texts.size(), 0);
        distinct.resize(texts.size(), 0);
        rowTexts.resize(texts.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::atomic<bool> noMemory{false};
    RunShares(static_cast<int>(classes), [&](int which) {
        try {
            DocumentCounts documents;
            for (size_t r = 0; r < runs.size(); ++r) {
                for (const FreqRunHit& hit : runs[r].Hits()) {
                    const uint32_t number = numbers[r][hit.key];
                    if (number == kKeyLeftOut || number % classes != static_cast<uint32_t>(which)) continue;
                    ++counts[number];
                    if (hit.source >= 0) documents.Count(number, hit.source, distinct[number]);
                }
            }
            // The documents of each key in name order, as the map of a
            // key's documents orders them: document numbers follow it.
            std::vector<KeyDocument> listed;
            documents.ForEach([&](uint32_t number, int32_t source, uint32_t count) {
                listed.push_back(KeyDocument{number, source, count});
            });
            std::sort(listed.begin(), listed.end(), [](const KeyDocument& a, const KeyDocument& b) {
                return a.number != b.number ? a.number < b.number : a.source < b.source;
            });
            std::vector<std::pair<const std::string*, uint32_t>> sources;
            auto next = listed.begin();
            for (size_t number = static_cast<size_t>(which); number < texts.size(); number += classes) {
                sources.clear();
                for (; next != listed.end() && next->number == number; ++next)
                    sources.emplace_back(&sourceNames[static_cast<size_t>(next->source)], next->count);
                rowTexts[number] = FreqRowText(*texts[number], sources);
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
        for (const auto& [key, number] : order) rows.push_back(FreqKeyRow{std::move(rowTexts[number]), counts[number]});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace qav
