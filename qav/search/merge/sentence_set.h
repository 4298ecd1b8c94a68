// An exact set of sentences (data file and sentence position) for the joins:
// one bit per word place of the corpus, so that a test is a bit read with no
// hashing and no chance of a false match. A coarse map of one bit per block
// of word places comes first: it is small enough to stay in the nearest
// cache, and when the set holds few sentences it answers most tests alone.
// Sentences outside the corpus's files, which only hand-made merged results
// can name, are kept in a small hash set beside the bits.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

#include "qav/index/format/record_compare.h"
#include "qav/search/atom/ret_info.h"
#include "qav/search/merge/corpus_places.h"
#include "qav/search/merge/parallel_shares.h"

namespace qav {

class SentenceSet {
public:
    // Empties the set and sizes it for the files of corpus, with `layers`
    // sets of sentences in one: a test of one word place in several layers
    // (a join's sentence and the place where its hits meet) then reads one
    // cache line, since each word of bits of a layer lies beside the same
    // word of the others.
    void Reset(const RecordCompareContext& corpus, int layers = 1);
    void Add(uint8_t fileNo, uint32_t position, int layer = 0);
    // Adds the sentence keyOf(hit, fileNo, position) gives for every hit of
    // the lists for which it returns true, on worker threads when there are
    // many: each share works out the bits of its own part of the hits, then
    // sets the bits of its own range. Throws std::bad_alloc when memory is
    // short.
    template <typename KeyOf>
    void AddAll(const std::vector<std::vector<CRetInfo>>& lists, KeyOf&& keyOf) {
        AddAllLayers(lists, [&](int, const CRetInfo& hit, uint8_t& fileNo, uint32_t& position) {
            return keyOf(hit, fileNo, position);
        });
    }
    // The same for every layer in one pass over the hits: keyOf(layer, hit,
    // fileNo, position) gives the sentence of a layer.
    template <typename KeyOf>
    void AddAllLayers(const std::vector<std::vector<CRetInfo>>& lists, KeyOf&& keyOf);
    bool Has(uint8_t fileNo, uint32_t position, int layer = 0) const {
        uint64_t bit = 0;
        if (!BitOf(fileNo, position, bit))
            return !m_outside.empty() && m_outside.count(OutsideKey(fileNo, position, layer)) > 0;
        const uint64_t block = bit >> kBlockShift;
        return ((m_blocks[WordOf(block, layer)] >> (block % 64)) & 1u) &&
               ((m_bits[WordOf(bit, layer)] >> (bit % 64)) & 1u);
    }
    // False when Has is false for certain by the coarse map alone, which
    // stays in the nearest caches; a walk can so pass most records of a
    // small set by without reading the bits.
    bool MayHave(uint8_t fileNo, uint32_t position, int layer = 0) const {
        uint64_t bit = 0;
        if (!BitOf(fileNo, position, bit)) return !m_outside.empty();
        const uint64_t block = bit >> kBlockShift;
        return (m_blocks[WordOf(block, layer)] >> (block % 64)) & 1u;
    }
    // Asks the processor for the bits a test of this sentence in a layer
    // will read (beside them, those of the other layers), so that tests in a
    // row overlap their memory waits.
    void Prefetch(uint8_t fileNo, uint32_t position, int layer = 0) const {
        uint64_t bit = 0;
        if (!BitOf(fileNo, position, bit)) return;
        // A block with no sentence answers without the bits.
        const uint64_t block = bit >> kBlockShift;
        if ((m_blocks[WordOf(block, layer)] >> (block % 64)) & 1u) __builtin_prefetch(&m_bits[WordOf(bit, layer)]);
    }
    // Gives the memory back.
    void Release();

private:
    // Word places per bit of the coarse map (as a shift): 64 places, a few
    // sentences, so that a set of a small share of the sentences leaves most
    // blocks empty, while the map (a byte per 512 word places) still fits
    // the nearest caches.
    static constexpr int kBlockShift = 6;

    // Word of the bits (or of the coarse map) holding bit of a layer.
    size_t WordOf(uint64_t bit, int layer) const {
        return static_cast<size_t>(bit / 64 * m_layers) + static_cast<size_t>(layer);
    }
    static uint64_t OutsideKey(uint8_t fileNo, uint32_t position, int layer) {
        return (uint64_t(layer) << 40) | (uint64_t{fileNo} << 32) | position;
    }
    void SetBit(uint64_t bit, int layer) {
        m_bits[WordOf(bit, layer)] |= uint64_t{1} << (bit % 64);
        const uint64_t block = bit >> kBlockShift;
        m_blocks[WordOf(block, layer)] |= uint64_t{1} << (block % 64);
    }
    // Bit of a sentence of the corpus's files; false for one outside them.
    bool BitOf(uint8_t fileNo, uint32_t position, uint64_t& bit) const {
        return m_places.NumberOf(fileNo, position, bit);
    }

    CorpusPlaces m_places;  // a bit per word place
    int m_layers = 1;
    uint64_t m_placeBits = 0;  // bits of a layer: the corpus's word places
    std::vector<uint64_t> m_bits;
    std::vector<uint64_t> m_blocks;  // bit b: some sentence lies in word places [b << kBlockShift, ...)
    std::unordered_set<uint64_t> m_outside;  // by OutsideKey
};

template <typename KeyOf>
void SentenceSet::AddAllLayers(const std::vector<std::vector<CRetInfo>>& lists, KeyOf&& keyOf) {
    size_t hits = 0;
    for (const std::vector<CRetInfo>& list : lists) hits += list.size();
    const size_t shares = hits >= static_cast<size_t>(kSharedPassFrom) ? PassShares() : 1;
    const size_t layers = static_cast<size_t>(m_layers);
    // Each share owns a range of the bits, beginning at a whole word of the
    // coarse map, so that no two shares write one word of either array.
    constexpr uint64_t kAlign = uint64_t{64} << kBlockShift;
    auto rangeStart = [&](size_t share) {
        return share == shares ? UINT64_MAX : m_placeBits * share / shares / kAlign * kAlign;
    };
    // First each share works out the bits of its own part of the hits and
    // sorts them by the share owning them (bits[share][owner][layer]); then
    // each share sets the bits it owns. Reading every hit in every share
    // would cost more than the bits themselves.
    using LayerBits = std::vector<std::vector<uint64_t>>;
    std::vector<std::vector<LayerBits>> bits(shares, std::vector<LayerBits>(shares, LayerBits(layers)));
    // Sentences outside the files, per share.
    std::vector<std::vector<uint64_t>> outside(shares);
    std::atomic<bool> noMemory{false};
    RunShares(static_cast<int>(shares), [&](int shareNo) {
        const size_t share = static_cast<size_t>(shareNo);
        const size_t from = hits * share / shares;
        const size_t to = hits * (share + 1) / shares;
        uint8_t fileNo = 0;
        uint32_t position = 0;
        uint64_t bit = 0;
        size_t listStart = 0;
        try {
            for (const std::vector<CRetInfo>& list : lists) {
                const size_t listEnd = listStart + list.size();
                for (size_t i = std::max(from, listStart); i < std::min(to, listEnd); ++i)
                    for (size_t layer = 0; layer < layers; ++layer) {
                        if (!keyOf(static_cast<int>(layer), list[i - listStart], fileNo, position)) continue;
                        if (!BitOf(fileNo, position, bit)) {
                            outside[share].push_back(OutsideKey(fileNo, position, static_cast<int>(layer)));
                            continue;
                        }
                        size_t owner = 0;
                        while (bit >= rangeStart(owner + 1)) ++owner;
                        bits[share][owner][layer].push_back(bit);
                    }
                listStart = listEnd;
            }
        } catch (const std::bad_alloc&) {
            noMemory = true;
        }
    });
    if (noMemory) throw std::bad_alloc();
    RunShares(static_cast<int>(shares), [&](int owner) {
        for (const std::vector<LayerBits>& found : bits)
            for (size_t layer = 0; layer < layers; ++layer)
                for (uint64_t bit : found[static_cast<size_t>(owner)][layer]) SetBit(bit, static_cast<int>(layer));
    });
    for (const std::vector<uint64_t>& shareOutside : outside)
        m_outside.insert(shareOutside.begin(), shareOutside.end());
}

}  // namespace qav
