#include "qav/search/merge/join_relation.h"

#include <algorithm>
#include <utility>

namespace qav {

namespace {

int End(const CRetInfo& hit) { return hit.start + hit.length; }

}  // namespace

int JoinRelationCode(std::string_view name) {
    static constexpr std::pair<std::string_view, int> kNames[] = {
        {"ShareTag", kJoinShareTag},   {"ShareQuery", kJoinShareQuery}, {"*", kJoinGapSameClause},
        {"^", kJoinGapOtherClause},    {"SameLeft", kJoinSameLeft},     {"SameRight", kJoinSameRight},
        {"Link", kJoinLink},           {"SameSent", kJoinSameSent},     {"InPhrase", kJoinInPhrase},
        {"InChunk", kJoinInChunk},     {"SameBoundary", kJoinSameBoundary},
    };
    for (const auto& [text, code] : kNames)
        if (text == name) return code;
    return 0;
}

bool IsJoinMatch(const CRetInfo& left, const CRetInfo& right, int code) {
    switch (code) {
    case kJoinShareTag: return End(left) - right.start == 1;
    case kJoinShareQuery: return right.start == left.start + 1;
    case kJoinGapSameClause: return left.clause == right.clause && End(left) < right.start;
    case kJoinGapOtherClause: return left.clause != right.clause && End(left) < right.start;
    case kJoinSameLeft: return left.start == right.start && left.length >= right.length;
    case kJoinSameRight: return End(left) == End(right);
    case kJoinLink: return End(left) == right.start;
    case kJoinSameSent: return true;
    case kJoinInChunk: return right.start >= left.start && End(right) <= End(left);
    case kJoinSameBoundary: return left.start == right.start && left.length == right.length;
    default: return false;
    }
}

CRetInfo JoinRetInfo(const CRetInfo& left, const CRetInfo& right) {
    CRetInfo joined = ClearedRetInfo();
    joined.file_no = left.file_no;
    joined.position = left.position;
    const bool leftFirst = left.start <= right.start;
    const CRetInfo& first = leftFirst ? left : right;
    const CRetInfo& second = leftFirst ? right : left;
    joined.start = first.start;
    joined.length = static_cast<uint8_t>(std::clamp(std::max(End(left), End(right)) - joined.start, 0, 255));

    int filled = 0;
    for (uint8_t mark : first.bracket) {
        if (mark == kNoBracket) break;
        joined.bracket[filled++] = mark;
    }
    const int shift = second.start - first.start;
    for (uint8_t mark : second.bracket) {
        if (mark == kNoBracket || filled == kBracketCount) break;
        joined.bracket[filled++] = static_cast<uint8_t>((mark + shift) & 0xFF);
    }
    return joined;
}

}  // namespace qav
