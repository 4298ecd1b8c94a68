// An exact set of sentences (data file and sentence position) for the joins:
// one bit per word place of the corpus, so that a test is a bit read with no
// hashing and no chance of a false match. A coarse map of one bit per block
// of word places comes first: it is small enough to stay in the nearest
// cache, and when the set holds few sentences it answers most tests alone.
// Sentences outside the corpus's files, which only hand-made merged results
// can name, are kept in a small hash set beside the bits.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "qav/index/format/record_compare.h"

namespace qav {

class SentenceSet {
public:
    // Empties the set and sizes it for the files of corpus.
    void Reset(const RecordCompareContext& corpus);
    void Add(uint8_t fileNo, uint32_t position);
    // Add for several threads at once: false, with nothing added, for a
    // sentence outside the corpus's files, which the caller then adds with
    // Add on one thread.
    bool AddConcurrently(uint8_t fileNo, uint32_t position);
    bool Has(uint8_t fileNo, uint32_t position) const {
        uint64_t bit = 0;
        if (!BitOf(fileNo, position, bit))
            return !m_outside.empty() && m_outside.count((uint64_t{fileNo} << 32) | position) > 0;
        const uint64_t block = bit >> kBlockShift;
        return ((m_blocks[block / 64] >> (block % 64)) & 1u) && ((m_bits[bit / 64] >> (bit % 64)) & 1u);
    }
    // Asks the processor for the bits a test of this sentence will read, so
    // that tests in a row overlap their memory waits.
    void Prefetch(uint8_t fileNo, uint32_t position) const {
        uint64_t bit = 0;
        if (BitOf(fileNo, position, bit)) __builtin_prefetch(&m_bits[bit / 64]);
    }
    // Gives the memory back.
    void Release();

private:
    // Word places per bit of the coarse map (as a shift).
    static constexpr int kBlockShift = 9;

    // Bit of a sentence of the corpus's files; false for one outside them.
    bool BitOf(uint8_t fileNo, uint32_t position, uint64_t& bit) const {
        if (fileNo >= m_fileWords.size() || position >= m_fileWords[fileNo]) return false;
        bit = m_firstBit[fileNo] + position;
        return true;
    }

    std::vector<uint64_t> m_firstBit;  // per data file: bit of its word place 0
    std::vector<uint32_t> m_fileWords;  // per data file: its word places
    std::vector<uint64_t> m_bits;
    std::vector<uint64_t> m_blocks;  // bit b: some sentence lies in word places [b << kBlockShift, ...)
    std::unordered_set<uint64_t> m_outside;
};

}  // namespace qav
