#include "qav/search/merge/sentence_set.h"

namespace qav {

void SentenceSet::Reset(const RecordCompareContext& corpus, int layers) {
    m_firstBit.resize(corpus.files.size());
    m_fileWords.resize(corpus.files.size());
    uint64_t bits = 0;
    for (size_t f = 0; f < corpus.files.size(); ++f) {
        m_firstBit[f] = bits;
        m_fileWords[f] = corpus.files[f].count;
        bits += corpus.files[f].count;
    }
    m_layers = layers;
    m_placeBits = bits;
    // Refilled rather than reallocated: a query's joins share one corpus.
    m_bits.assign((bits + 63) / 64 * static_cast<size_t>(layers), 0);
    m_blocks.assign(((bits >> kBlockShift) + 64) / 64 * static_cast<size_t>(layers), 0);
    m_outside.clear();
}

void SentenceSet::Add(uint8_t fileNo, uint32_t position, int layer) {
    uint64_t bit = 0;
    if (BitOf(fileNo, position, bit)) {
        SetBit(bit, layer);
    } else {
        m_outside.insert(OutsideKey(fileNo, position, layer));
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
