// Encoding and decoding of a network block body, field by field in file order.
#include "zel/rules/format/byte_reader.h"
#include "zel/rules/format/fsa_format.h"

namespace zel {

namespace {

void AppendList(std::string& out, const std::vector<int32_t>& list) {
    AppendLE(out, static_cast<int32_t>(list.size()));
    for (int32_t n : list) AppendLE(out, n);
}

// Node numbers, then one weight each (0.0 when the caller gave none).
void AppendWeightedList(std::string& out, const std::vector<int32_t>& list, const std::vector<float>& weights) {
    AppendList(out, list);
    for (size_t i = 0; i < list.size(); ++i) AppendLE(out, i < weights.size() ? weights[i] : 0.0f);
}

void AppendForward(std::string& out, const FsaForwardRecord& node) {
    AppendLE(out, node.type);
    AppendLE(out, node.atom);
    AppendLE(out, node.tag);
    AppendWeightedList(out, node.words, node.wordWeights);
    AppendWeightedList(out, node.carets, node.caretWeights);
    AppendList(out, node.attrs);
    AppendList(out, node.others);
    AppendList(out, node.tables);
}

void AppendBackward(std::string& out, const FsaBackwardRecord& node) {
    // The word predecessors are followed by a second array of as many
    // values, which means nothing; it is written as zeros.
    AppendList(out, node.words);
    for (size_t i = 0; i < node.words.size(); ++i) AppendLE(out, int32_t{0});
    AppendList(out, node.attrs);
    AppendList(out, node.tables);
    AppendList(out, node.starts);
}

// Node numbers in 0..nodeCount-1.
bool ReadNodeList(ByteReader& in, int32_t nodeCount, std::vector<int32_t>& list) {
    int32_t count;
    if (!in.Count(count, static_cast<int64_t>(in.remaining() / 4))) return false;
    list.resize(static_cast<size_t>(count));
    for (int32_t& n : list) {
        if (!in.I32(n) || n < 0 || n >= nodeCount) return false;
    }
    return true;
}

bool ReadWeights(ByteReader& in, size_t count, std::vector<float>& weights) {
    weights.resize(count);
    for (float& w : weights) {
        if (!in.Fixed(w)) return false;
    }
    return true;
}

bool ReadForward(ByteReader& in, int32_t nodeCount, int32_t atomCount, FsaForwardRecord& node) {
    if (!in.I32(node.type) || node.type < ENTER || node.type > CW || node.type == Char) return false;
    if (!in.I32(node.atom) || node.atom < -1 || node.atom >= atomCount) return false;
    return in.I32(node.tag) && ReadNodeList(in, nodeCount, node.words) &&
           ReadWeights(in, node.words.size(), node.wordWeights) && ReadNodeList(in, nodeCount, node.carets) &&
           ReadWeights(in, node.carets.size(), node.caretWeights) && ReadNodeList(in, nodeCount, node.attrs) &&
           ReadNodeList(in, nodeCount, node.others) && ReadNodeList(in, nodeCount, node.tables);
}

bool ReadBackward(ByteReader& in, int32_t nodeCount, FsaBackwardRecord& node) {
    if (!ReadNodeList(in, nodeCount, node.words)) return false;
    int32_t ignored;
    for (size_t i = 0; i < node.words.size(); ++i) {
        if (!in.I32(ignored)) return false;
    }
    return ReadNodeList(in, nodeCount, node.attrs) && ReadNodeList(in, nodeCount, node.tables) &&
           ReadNodeList(in, nodeCount, node.starts);
}

bool ReadLengthTable(ByteReader& in, size_t count, std::vector<uint16_t>& table) {
    table.resize(count);
    for (uint16_t& cell : table) {
        if (!in.Fixed(cell)) return false;
    }
    return true;
}

bool ReadBackwardPart(ByteReader& in, FsaBlock& block) {
    int32_t nodeCount = static_cast<int32_t>(block.forward.size());
    block.backward.resize(block.forward.size());
    for (FsaBackwardRecord& node : block.backward) {
        if (!ReadBackward(in, nodeCount, node)) return false;
    }
    int32_t tableCount;
    if (!in.Count(tableCount, static_cast<int64_t>(in.remaining() / 4)) ||
        !ReadLengthTable(in, static_cast<size_t>(tableCount), block.lastCharTable) ||
        !ReadLengthTable(in, static_cast<size_t>(tableCount), block.firstCharTable)) {
        return false;
    }
    int32_t setCount;
    if (!in.Count(setCount, static_cast<int64_t>(in.remaining() / 8))) return false;
    block.sets.resize(static_cast<size_t>(setCount));
    for (FsaNodeSet& set : block.sets) {
        if (!in.LengthText(set.name, in.remaining() + 1) || !ReadNodeList(in, nodeCount, set.nodes)) return false;
    }
    return true;
}

}  // namespace

std::string EncodeFsaBody(const FsaBlock& block) {
    std::string out;
    AppendLengthText(out, block.name);
    AppendLE(out, block.longest);
    AppendLE(out, static_cast<int32_t>(block.filter.size()));
    out.append(block.filter.begin(), block.filter.end());
    AppendLE(out, static_cast<int32_t>(block.forward.size()));
    AppendLE(out, block.startNode);
    AppendLE(out, block.endNode);
    AppendLE(out, static_cast<int32_t>(block.atoms.size()));
    for (const std::string& atom : block.atoms) AppendLengthText(out, atom);
    for (const FsaForwardRecord& node : block.forward) AppendForward(out, node);
    if (!block.hasBackward) return out;
    for (size_t i = 0; i < block.forward.size(); ++i) {
        AppendBackward(out, i < block.backward.size() ? block.backward[i] : FsaBackwardRecord{});
    }
    AppendLE(out, static_cast<int32_t>(block.firstCharTable.size()));
    for (uint16_t cell : block.lastCharTable) AppendLE(out, cell);
    for (uint16_t cell : block.firstCharTable) AppendLE(out, cell);
    AppendLE(out, static_cast<int32_t>(block.sets.size()));
    for (const FsaNodeSet& set : block.sets) {
        AppendLengthText(out, set.name);
        AppendList(out, set.nodes);
    }
    return out;
}

std::string EncodeFsaBlock(const FsaBlock& block) {
    std::string body = EncodeFsaBody(block);
    std::string out;
    AppendLE(out, static_cast<int32_t>(body.size()));
    return out + body;
}

bool DecodeFsaBody(std::string_view body, FsaBlock& block) {
    block = FsaBlock{};
    ByteReader in(body);
    int32_t filterSize, nodeCount, atomCount;
    std::string filter;
    if (!in.LengthText(block.name, in.remaining() + 1) || !in.I32(block.longest) ||
        !in.Count(filterSize, static_cast<int64_t>(in.remaining())) ||
        !in.Bytes(static_cast<size_t>(filterSize), filter)) {
        return false;
    }
    block.filter.assign(filter.begin(), filter.end());
    // A forward record takes at least 32 bytes.
    if (!in.Count(nodeCount, static_cast<int64_t>(in.remaining() / 32)) || !in.I32(block.startNode) ||
        !in.I32(block.endNode) || !in.Count(atomCount, static_cast<int64_t>(in.remaining() / 4))) {
        return false;
    }
    if (nodeCount > 0 && (block.startNode < 0 || block.startNode >= nodeCount || block.endNode < 0 ||
                          block.endNode >= nodeCount)) {
        return false;
    }
    block.atoms.resize(static_cast<size_t>(atomCount));
    for (std::string& atom : block.atoms) {
        if (!in.LengthText(atom, in.remaining() + 1)) return false;
    }
    block.forward.resize(static_cast<size_t>(nodeCount));
    for (FsaForwardRecord& node : block.forward) {
        if (!ReadForward(in, nodeCount, atomCount, node)) return false;
    }
    block.hasBackward = !in.AtEnd();
    if (block.hasBackward && !ReadBackwardPart(in, block)) return false;
    return in.AtEnd();
}

}  // namespace zel
