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

// The documents of the hits of every kept key, grouped by key in hit order
// (run after run, each in its order), so that a key's documents are counted
// one key after another. Each run is counted and placed on a worker of its
// own: every hit is read twice in all, whatever the number of workers.
class KeyHitSources {
public:
    // False when memory ran out.
    bool Group(const std::vector<FreqKeyRun>& runs, const std::vector<std::vector<uint32_t>>& numbers, size_t keys) {
        std::vector<std::vector<uint32_t>> next(runs.size());  // per run: by key, where its next hit goes
        std::atomic<bool> noMemory{false};
        RunShares(static_cast<int>(runs.size()), [&](int r) {
            try {
                std::vector<uint32_t>& counts = next[static_cast<size_t>(r)];
                counts.assign(keys, 0);
                ForKeptHits(runs, numbers, r, [&](uint32_t number, int32_t) { ++counts[number]; });
            } catch (const std::bad_alloc&) {
                noMemory = true;
            }
        });
        if (noMemory) return false;
        // A key's hits from run 0 first, then from run 1, and so on.
        PlaceCountsByShare(next, keys, m_begin);
        m_sources.resize(m_begin[keys]);
        RunShares(static_cast<int>(runs.size()), [&](int r) {
            std::vector<uint32_t>& at = next[static_cast<size_t>(r)];
            ForKeptHits(runs, numbers, r, [&](uint32_t number, int32_t source) { m_sources[at[number]++] = source; });
        });
        return true;
    }

    // The documents of key `number`'s hits in hit order (-1: none).
    const int32_t* begin(size_t number) const { return m_sources.data() + m_begin[number]; }
    const int32_t* end(size_t number) const { return m_sources.data() + m_begin[number + 1]; }

private:
    template <typename Visit>
    static void ForKeptHits(const std::vector<FreqKeyRun>& runs, const std::vector<std::vector<uint32_t>>& numbers,
                            int run, Visit visit) {
        const uint32_t* numberOf = numbers[static_cast<size_t>(run)].data();
        for (const FreqRunHit& hit : runs[static_cast<size_t>(run)].Hits())
            if (const uint32_t number = numberOf[hit.key]; number != kKeyLeftOut) visit(number, hit.source);
    }

    std::vector<uint32_t> m_begin;  // by key number: where its documents begin
    std::vector<int32_t> m_sources;
};

// Counts the documents of one key's hits as CountFreqSource does with their
// names: a document new to a key that has kMaxFreqSources of them already is
// not counted. A table by document number finds a document's count, and is
// left clear for the next key.
class KeyDocuments {
public:
    explicit KeyDocuments(size_t sourceCount) : m_slotOf(sourceCount, 0) {}

    // The documents of the hits in [from, to) and their occurrences, in
    // document number order, which is name order.
    const std::vector<std::pair<int32_t, uint32_t>>& Count(const int32_t* from, const int32_t* to) {
        m_documents.clear();
        for (; from != to; ++from) {
            // A number that names no document counts as none, as -1 does.
            if (*from < 0 || static_cast<size_t>(*from) >= m_slotOf.size()) continue;
            uint32_t& slot = m_slotOf[static_cast<size_t>(*from)];
            if (slot != 0) {
                ++m_documents[slot - 1].second;
            } else if (m_documents.size() < kMaxFreqSources) {
                m_documents.emplace_back(*from, 1);
                slot = static_cast<uint32_t>(m_documents.size());
            }
        }
        for (const auto& document : m_documents) m_slotOf[static_cast<size_t>(document.first)] = 0;
        std::sort(m_documents.begin(), m_documents.end());
        return m_documents;
    }

private:
    std::vector<uint32_t> m_slotOf;  // by document: 1 + its place in m_documents, 0: not met
    std::vector<std::pair<int32_t, uint32_t>> m_documents;
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
    // Per key number: hits.
    std::vector<uint32_t> counts;
    std::vector<std::string> rowTexts;
    KeyHitSources hits;
    try {
        NumberKeys(runs, numbers, texts);
        counts.resize(texts.size(), 0);
        rowTexts.resize(texts.size());
        if (!hits.Group(runs, numbers, texts.size())) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::atomic<bool> noMemory{false};
    RunShares(static_cast<int>(classes), [&](int which) {
        try {
            KeyDocuments documents(sourceNames.size());
            std::vector<std::pair<const std::string*, uint32_t>> sources;
            for (size_t number = static_cast<size_t>(which); number < texts.size(); number += classes) {
                const int32_t* from = hits.begin(number);
                const int32_t* to = hits.end(number);
                counts[number] = static_cast<uint32_t>(to - from);
                sources.clear();
                for (const auto& [source, count] : documents.Count(from, to))
                    sources.emplace_back(&sourceNames[static_cast<size_t>(source)], count);
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
