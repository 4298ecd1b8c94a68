#include "qav/search/merge/sentence_set.h"

namespace qav {

namespace {

uint64_t SentenceKey(uint8_t fileNo, uint32_t position) { return (uint64_t{fileNo} << 32) | position; }

}  // namespace

void SentenceSet::Reset(const RecordCompareContext& corpus) {
    m_firstBit.resize(corpus.files.size());
    m_fileWords.resize(corpus.files.size());
    uint64_t bits = 0;
    for (size_t f = 0; f < corpus.files.size(); ++f) {
        m_firstBit[f] = bits;
        m_fileWords[f] = corpus.files[f].count;
        bits += corpus.files[f].count;
    }
    // Refilled rather than reallocated: a query's joins share one corpus.
    m_bits.assign((bits + 63) / 64, 0);
    m_blocks.assign(((bits >> kBlockShift) + 64) / 64, 0);
    m_outside.clear();
}

void SentenceSet::Add(uint8_t fileNo, uint32_t position) {
    uint64_t bit = 0;
    if (BitOf(fileNo, position, bit)) {
        SetBit(bit);
    } else {
        m_outside.insert(SentenceKey(fileNo, position));
    }
}

void SentenceSet::Release() {
    std::vector<uint64_t>().swap(m_firstBit);
    std::vector<uint32_t>().swap(m_fileWords);
    std::vector<uint64_t>().swap(m_bits);
    std::vector<uint64_t>().swap(m_blocks);
    std::unordered_set<uint64_t>().swap(m_outside);
}

}  // namespace qav
