// Splitting one hit into the text parts that conditions, frequencies and
// context lines read (CSplitedRet): context on either side, the match, the
// groups the query's bracket marks set and the gaps between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qav {

class CConfig;
class CSplitedRet;
class CWordList;
struct CRetInfo;

// Each part holds at most this many bytes; a unit whose text would pass it is
// not added and ends the part.
constexpr size_t kHitPartMaxBytes = 4095;
// With the whole sentence as context, the right-hand parts stop after this
// many units when no sentence separator comes first.
constexpr int kSentenceRightUnits = 40;

// What the parts are made of besides the data array.
struct HitPartsSource {
    const CWordList* words = nullptr;   // unit texts; ids outside it have none
    const CConfig* config = nullptr;    // sentence separators; null: none
    bool english = false;               // words are followed or separated by one blank
};

// Fills parts with the hit's texts from the data array of its file
// (count units). width is the number of units of context on each side, -1
// the hit's whole sentence (from the unit at the hit's position up to the
// first separator on the left, up to and including a separator or at most
// kSentenceRightUnits units on the right). Nothing outside [0, count) is read.
void SplitHit(const HitPartsSource& source, const uint32_t* data, size_t count, const CRetInfo& hit, int width,
              CSplitedRet& parts);

// Sets signature to what the match, the groups and the gaps of SplitHit are
// made of: the hit's length and bracket bytes and the units from the first to
// the last unit any of them can take (a unit outside [0, count) as the
// identifier 0xFFFFFFFF, which names no unit). Hits with equal signatures
// have equal parts of those kinds under one HitPartsSource, so a caller can
// split one hit per signature.
void HitSpanSignature(const uint32_t* data, size_t count, const CRetInfo& hit, std::string& signature);

// What HitSpanSignature holds, packed into three words, for a hit whose units
// from the first to the last any part can take are at most kPackedSpanUnits:
// two such hits have equal packed signatures exactly when their signatures
// are equal.
// A frequency list keys most of its hits by it without building a text.
constexpr int64_t kPackedSpanUnits = 4;
struct PackedSpanSignature {
    uint64_t words[3];

    bool operator==(const PackedSpanSignature& other) const {
        return words[0] == other.words[0] && words[1] == other.words[1] && words[2] == other.words[2];
    }
    bool operator!=(const PackedSpanSignature& other) const { return !(*this == other); }
};
struct PackedSpanSignatureHash {
    size_t operator()(const PackedSpanSignature& signature) const;
};
// False, leaving signature as it was, when the hit spans more units.
bool PackHitSpanSignature(const uint32_t* data, size_t count, const CRetInfo& hit, PackedSpanSignature& signature);

}  // namespace qav
