#include "zel/rules/process/operation_record.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/platform/byte_codec.h"
#include "zel/lattice/lattice.h"

namespace zel {

std::string EncodeMatchNode(const CMatchNodeEx& position) {
    std::string out;
    qz::bytes::Append<int32_t>(out, position.node);
    qz::bytes::Append<int32_t>(out, position.column);
    qz::bytes::Append<int32_t>(out, position.index);
    out += position.tag;
    return out;
}

bool EncodeOPeration(CLattice& lattice, const std::string& action, char* buffer, int size, int& used) {
    constexpr int kCountSize = 4;
    if (!buffer || size < kCountSize) return true;
    auto* bytes = reinterpret_cast<unsigned char*>(buffer);
    if (used < 1) {
        qz::bytes::Store<int32_t>(bytes, 0);
        used = kCountSize;
    }
    std::string nodes;
    const int count = std::max(0, std::min(lattice.pathLength, static_cast<int>(lattice.matchPath.size())));
    for (int k = 0; k < count; ++k) {
        const std::string node = EncodeMatchNode(lattice.matchPath[static_cast<size_t>(k)]);
        qz::bytes::Append<int32_t>(nodes, static_cast<int32_t>(node.size()));
        nodes += node;
    }
    std::string record;
    qz::bytes::Append<int32_t>(record, static_cast<int32_t>(action.size()));
    record += action;
    qz::bytes::Append<int32_t>(record, static_cast<int32_t>(4 + nodes.size()));
    qz::bytes::Append<int32_t>(record, count);
    record += nodes;
    // Compared in 64 bits: a record may be larger than the buffer's int.
    if (static_cast<int64_t>(used) + static_cast<int64_t>(record.size()) >= size) return true;
    std::memcpy(buffer + used, record.data(), record.size());
    qz::bytes::Store<int32_t>(bytes, qz::bytes::Load<int32_t>(bytes) + 1);
    used += static_cast<int>(record.size());
    return true;
}

}  // namespace zel
