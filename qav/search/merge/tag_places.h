// The word places where the records of a tag search without text (`<TAG>`)
// anchor: one bit per word place of the corpus's data files. A join of such a
// search at one exact place can then test, for each hit of the other side,
// the one place where a partner would lie, instead of walking all the tag's
// records (millions for a frequent tag) and pairing their hits by sentence.
//
// That stands for the walk only where a place names one record of the
// search, and where the record found at a place is known to be of the
// sentence asked for: the records of a word's tag anchor at the word, at an
// index within its own sentence, and the set also keeps the sentence
// position of every record. A place past a sentence position the set keeps
// belongs to that later sentence. A search with a record before its
// sentence's start (the previous sentence's last word) or two records at one
// place is not taken.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "qav/index/format/record_compare.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/merge/corpus_places.h"

namespace qav {

class TagPlaces {
public:
    // Empties the set, sizes it for corpus and sets the places of atom's
    // records, on worker threads when they are many. False when a record
    // anchors before its sentence or two records anchor at one place: the
    // set is then not to be used. When the query time runs out, the set
    // holds the places of the records walked so far and cut is set.
    bool Fill(const CAtomRet& atom, const RecordCompareContext& corpus, bool& cut);

    // Whether a record of the sentence at `position` of data file fileNo
    // anchors at word index `index` (0 or more) of that sentence. Inline:
    // a join asks it for every hit of its other side.
    bool Has(uint8_t fileNo, uint32_t position, int64_t index) const {
        uint64_t sentence = 0;
        uint64_t anchor = 0;
        if (index < 0 || !BitOf(fileNo, position, sentence) || !BitOf(fileNo, int64_t{position} + index, anchor) ||
            !Test(anchor, kAnchors))
            return false;
        // The record there is of this sentence unless a sentence of a record
        // begins after this one and at or before the place.
        return !AnySentenceIn(sentence + 1, anchor);
    }
    // Asks the processor for the bits Has will read.
    void Prefetch(uint8_t fileNo, uint32_t position, int64_t index) const {
        uint64_t bit = 0;
        if (index >= 0 && BitOf(fileNo, int64_t{position} + index, bit)) __builtin_prefetch(&m_bits[WordOf(bit, 0)]);
    }
    // Bytes the set holds.
    size_t Bytes() const { return m_bits.size() * sizeof(uint64_t); }

private:
    // Two layers of bits per word place, each word of one beside the same
    // word of the other: the places where records anchor, and the sentence
    // positions of records.
    static constexpr int kAnchors = 0;
    static constexpr int kSentences = 1;
    static size_t WordOf(uint64_t bit, int layer) { return static_cast<size_t>(bit / 64 * 2) + layer; }
    bool Test(uint64_t bit, int layer) const { return (m_bits[WordOf(bit, layer)] >> (bit % 64)) & 1u; }
    // Whether a bit of the sentence layer is set in [from, to].
    bool AnySentenceIn(uint64_t from, uint64_t to) const {
        for (uint64_t word = from / 64; from <= to && word <= to / 64; ++word) {
            uint64_t bits = m_bits[WordOf(word * 64, kSentences)];
            if (word == from / 64) bits &= ~uint64_t{0} << (from % 64);
            if (word == to / 64) bits &= ~uint64_t{0} >> (63 - to % 64);
            if (bits) return true;
        }
        return false;
    }
    // Sets the bit; false when it was set already.
    bool Set(uint64_t bit, int layer) {
        uint64_t& word = m_bits[WordOf(bit, layer)];
        const uint64_t mask = uint64_t{1} << (bit % 64);
        const bool was = word & mask;
        word |= mask;
        return !was;
    }
    bool BitOf(uint8_t fileNo, int64_t place, uint64_t& bit) const { return m_places.NumberOf(fileNo, place, bit); }

    CorpusPlaces m_places;  // a bit per word place and layer
    std::vector<uint64_t> m_bits;
};

// The places of atom, a complete search of a tag without text, for a join:
// made once per loaded index (generation, the engine's offset file
// generation, above 0) and search (its unit, kind and segments), and kept for
// the joins after it, the least recently used going first beyond
// kSharedTagPlacesBytes; made for this join alone with generation 0 or a
// search without a unit (one filled by hand). Null when the search cannot be
// taken. When the query time runs out while they are made, cut is set and the
// places of the records walked so far are given for this join only.
constexpr size_t kSharedTagPlacesBytes = size_t{64} << 20;
std::shared_ptr<const TagPlaces> TagPlacesOf(const CAtomRet& atom, const RecordCompareContext& corpus,
                                             uint64_t generation, bool& cut);
// Gives back the memory of the places kept (joins still holding some keep
// theirs until they end).
void DropKeptTagPlaces();

}  // namespace qav
