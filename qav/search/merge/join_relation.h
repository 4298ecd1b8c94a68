// The positional relations of a join and the joined hit of a matching pair.
#pragma once

#include <string_view>

#include "qav/search/atom/ret_info.h"

namespace qav {

// Relation codes of a join.
enum JoinRelation : int {
    kJoinShareTag = 4096,      // R begins on L's last word
    kJoinShareQuery = 4097,    // R starts one word after L
    kJoinGapSameClause = 4098, // "*": a gap between them, same clause
    kJoinGapOtherClause = 4099,// "^": a gap between them, different clauses
    kJoinSameLeft = 4100,      // same start, L at least as long
    kJoinSameRight = 4101,     // same end
    kJoinLink = 4102,          // R starts where L ends
    kJoinSameSent = 4103,      // any pair of the sentence
    kJoinInPhrase = 4104,      // no pair
    kJoinInChunk = 4105,       // R inside L
    kJoinSameBoundary = 4112,  // same span
};

// Code of a relation name; 0 (which matches nothing) for an unknown name.
int JoinRelationCode(std::string_view name);

// Whether the pair (left, right) stands in the relation; any code outside the
// table matches nothing.
bool IsJoinMatch(const CRetInfo& left, const CRetInfo& right, int code);

// The word place (relative to the hit's sentence position) at which a hit
// of the left side (isLeft) or the right side meets its partner under an
// exact relation: a pair can stand in the relation only where the places of
// both hits are the same. False for the relations without one such place
// (gaps, the whole sentence, containment), whose pairs may lie anywhere.
// Inline: the join walks call it for every hit.
inline bool JoinPlace(int code, bool isLeft, const CRetInfo& hit, int& place) {
    const int end = hit.start + hit.length;
    switch (code) {
    case kJoinShareTag: place = isLeft ? end - 1 : hit.start; return true;
    case kJoinShareQuery: place = isLeft ? hit.start + 1 : hit.start; return true;
    case kJoinSameLeft:
    case kJoinSameBoundary: place = hit.start; return true;
    case kJoinSameRight: place = end; return true;
    case kJoinLink: place = isLeft ? end : hit.start; return true;
    default: return false;
    }
}

// The hit covering both: file and sentence of left, from the earlier start
// to the later end (at most 255 words), the earlier hit's bracket bytes
// followed by the other's, shifted to count from the joined start, up to six.
// The clause byte is 0.
CRetInfo JoinRetInfo(const CRetInfo& left, const CRetInfo& right);

}  // namespace qav
