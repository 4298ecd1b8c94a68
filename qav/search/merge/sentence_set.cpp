#include "qav/search/merge/sentence_set.h"

namespace qav {

void SentenceSet::Reset(const RecordCompareContext& corpus, int layers) {
    const uint64_t bits = m_places.Reset(corpus);
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
    m_places.Release();
    std::vector<uint64_t>().swap(m_bits);
    std::vector<uint64_t>().swap(m_blocks);
    std::unordered_set<uint64_t>().swap(m_outside);
}

}  // namespace qav
