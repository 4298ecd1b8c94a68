// The records of a search filed by the sentence they lie in. A join whose
// other side holds few sentences can so take the records of those sentences
// alone, in the order a walk of all the records meets them, instead of
// walking millions of records (a frequent tag's) to find a few hundred.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "qav/index/format/record_compare.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/merge/corpus_places.h"

namespace qav {

class SentenceRecords {
public:
    // Numbers the records of atom in the order of CountSegmentRecords and
    // files each by its sentence (data file and sentence position), on
    // worker threads when they are many; a record whose sentence lies
    // outside the corpus's files is not filed. False when the search has
    // more records than a number holds, or when the query time ran out
    // (cut is then set).
    bool Fill(const CAtomRet& atom, const RecordCompareContext& corpus, bool& cut);

    // Appends the numbers of the records of the sentence at `position` of
    // data file fileNo, ascending; false for a sentence outside the files.
    bool AddRecordsOf(uint8_t fileNo, uint32_t position, std::vector<uint32_t>& numbers) const {
        uint64_t place = 0;
        if (!m_places.NumberOf(fileNo, position, place)) return false;
        const uint64_t block = place >> kBlockShift;
        const auto inBlock = static_cast<uint8_t>(place & kInBlockMask);
        for (uint32_t at = m_start[block]; at < m_start[block + 1]; ++at)
            if (m_placeInBlock[at] == inBlock) numbers.push_back(m_numbers[at]);
        return true;
    }
    // Bytes the filing holds.
    size_t Bytes() const {
        return m_start.size() * sizeof(uint32_t) + m_numbers.size() * sizeof(uint32_t) + m_placeInBlock.size();
    }

private:
    // Word places per block (as a shift): a look-up reads the entries of one
    // block, some dozens for a frequent tag; a place within its block fits
    // a byte.
    static constexpr int kBlockShift = 8;
    static constexpr uint64_t kInBlockMask = (uint64_t{1} << kBlockShift) - 1;

    CorpusPlaces m_places;
    std::vector<uint32_t> m_start;         // per block: its first entry; one more entry ends the last
    std::vector<uint32_t> m_numbers;       // record numbers, by block, ascending within a block
    std::vector<uint8_t> m_placeInBlock;   // beside each: its sentence's place within the block
};

// The filing of atom, a complete search, for a join: kept per loaded index
// (generation, the engine's offset file generation, above 0) and search as
// TagPlacesOf keeps tag places, within kSharedSentenceRecordsBytes. Null when
// the search cannot be taken or the query time ran out (cut).
constexpr size_t kSharedSentenceRecordsBytes = size_t{128} << 20;
std::shared_ptr<const SentenceRecords> SentenceRecordsOf(const CAtomRet& atom, const RecordCompareContext& corpus,
                                                         uint64_t generation, bool& cut);
// Gives back the memory of the filings kept.
void DropKeptSentenceRecords();

}  // namespace qav
