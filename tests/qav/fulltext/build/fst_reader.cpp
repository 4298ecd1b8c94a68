#include "fst_reader.h"

namespace qav_bm_test {
namespace {

struct Arc {
    uint32_t label = 0;
    uint32_t flags = 0;
    int64_t output = 0;
    int64_t finalOutput = 0;
    uint32_t target = 0;
    uint32_t next = 0;  // position of the node's next arc
};

int64_t TakeValue(const std::vector<uint32_t>& words, uint32_t& q, bool twoWords) {
    if (!twoWords) return words.at(q--);
    const int64_t low = words.at(q--);
    const int64_t high = words.at(q--);
    return high << 32 | low;
}

Arc ReadArc(const std::vector<uint32_t>& words, uint32_t p) {
    Arc arc;
    arc.flags = words.at(p);
    arc.label = words.at(p - 1);
    uint32_t q = p - 2;
    if (arc.flags & 0x20) arc.finalOutput = TakeValue(words, q, arc.flags & 0x80);
    if (arc.flags & 0x10) arc.output = TakeValue(words, q, arc.flags & 0x40);
    if (arc.flags & 0x04) {
        arc.target = q;
    } else {
        arc.target = words.at(q--);
    }
    arc.next = q;
    return arc;
}

}  // namespace

std::optional<int64_t> FstLookup(const std::vector<uint32_t>& words, const std::string& name) {
    if (words.empty() || name.empty()) return std::nullopt;
    uint32_t node = static_cast<uint32_t>(words.size() - 1);
    int64_t sum = 0;
    bool final = false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (node == 0) return std::nullopt;
        const auto label = static_cast<unsigned char>(name[i]);
        for (uint32_t p = node;;) {
            const Arc arc = ReadArc(words, p);
            if (arc.label == label) {
                sum += arc.output;
                final = arc.flags & 0x01;
                if (final && i + 1 == name.size()) sum += arc.finalOutput;
                node = arc.flags & 0x08 ? 0 : arc.target;
                break;
            }
            if (arc.flags & 0x02) return std::nullopt;
            p = arc.next;
        }
    }
    if (!final) return std::nullopt;
    return sum;
}

}  // namespace qav_bm_test
