#include "zel/compiler/net_encoder.h"

#include <algorithm>
#include <cstring>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/rules/format/byte_reader.h"
#include "zel/rules/format/rule_hash.h"

namespace zel {
namespace compiled_net {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

std::string TrimAtom(std::string text) {
    while (text.size() > 1 && text.back() == ' ') text.pop_back();
    TrimLeftBlanks(text);
    return text;
}

bool ReadNodes(ByteReader& in, WordNetData& net) {
    uint32_t count = 0;
    if (!in.Fixed(count) || count > in.remaining() / 16) return false;
    net.nodes.resize(count);
    for (WordNetData::Node& node : net.nodes) {
        uint32_t word = 0, instance = 0, successors = 0;
        if (!in.Fixed(node.type) || !in.Fixed(word) || !in.Fixed(instance) || !in.Fixed(successors)) return false;
        if (word != kNone && word >= net.atoms.size()) return false;
        if (successors > in.remaining() / 8) return false;
        node.atom = word == kNone ? -1 : static_cast<int32_t>(word);
        node.instance = static_cast<int32_t>(instance);
        node.next.resize(successors);
        node.weights.resize(successors);
        for (int32_t& next : node.next) {
            uint32_t number = 0;
            if (!in.Fixed(number) || number >= count) return false;
            next = static_cast<int32_t>(number);
        }
        for (float& weight : node.weights) {
            if (!in.Fixed(weight)) return false;
        }
    }
    return count > 0;
}

const std::string& AtomText(const WordNetData& net, int32_t node) {
    static const std::string kEmpty;
    const int32_t atom = net.nodes[node].atom;
    return atom < 0 ? kEmpty : net.atoms[atom];
}

// The successors of one node split by their kind, as the block lists them.
void SplitSuccessors(const WordNetData& net, int32_t number, FsaForwardRecord& record) {
    const WordNetData::Node& node = net.nodes[number];
    std::vector<std::pair<int32_t, float>> words, carets;
    for (size_t i = 0; i < node.next.size(); ++i) {
        const int32_t next = node.next[i];
        switch (net.nodes[next].type) {
            case WORD: words.emplace_back(next, node.weights[i]); break;
            case WORDLH: carets.emplace_back(next, node.weights[i]); break;
            case ATTR: record.attrs.push_back(next); break;
            case CW: record.tables.push_back(next); break;
            case EXIT:
                // Only a return node ends the network.
                if (node.type == Return) record.others.push_back(next);
                break;
            default: record.others.push_back(next); break;
        }
    }
    std::stable_sort(words.begin(), words.end(),
                     [&](const auto& a, const auto& b) { return AtomText(net, a.first) < AtomText(net, b.first); });
    std::stable_sort(carets.begin(), carets.end(), [&](const auto& a, const auto& b) {
        return strcmp_l(AtomText(net, a.first), AtomText(net, b.first)) < 0;
    });
    for (const auto& [next, weight] : words) {
        record.words.push_back(next);
        record.wordWeights.push_back(weight);
    }
    for (const auto& [next, weight] : carets) {
        record.carets.push_back(next);
        record.caretWeights.push_back(weight);
    }
}

void AddPredecessor(const WordNetData& net, int32_t from, const std::vector<int32_t>& successors,
                    std::vector<FsaBackwardRecord>& backward) {
    std::vector<int32_t> FsaBackwardRecord::*list = nullptr;
    switch (net.nodes[from].type) {
        case WORD: list = &FsaBackwardRecord::words; break;
        case ENTER: list = &FsaBackwardRecord::starts; break;
        case ATTR: list = &FsaBackwardRecord::attrs; break;
        case CW: list = &FsaBackwardRecord::tables; break;
        default: return;
    }
    for (int32_t next : successors) (backward[next].*list).push_back(from);
}

void SortUnique(std::vector<int32_t>& list) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
}

int32_t Longest(const WordNetData& net) {
    int32_t longest = 0;
    for (const std::string& atom : net.atoms) {
        if (!atom.empty() && static_cast<unsigned char>(atom[0]) >= 0x80)
            longest = std::max<int32_t>(longest, static_cast<int32_t>(atom.size() / 2));
    }
    return longest;
}

void LengthTables(const WordNetData& net, FsaBlock& block) {
    if (net.atoms.size() < 101) {
        block.lastCharTable.assign(1, static_cast<uint16_t>(block.longest));
        block.firstCharTable.assign(1, static_cast<uint16_t>(block.longest));
        return;
    }
    block.lastCharTable.assign(kLastHZ, 0);
    block.firstCharTable.assign(kLastHZ, 0);
    for (const std::string& atom : net.atoms) {
        SetHZInfoEx(atom, block.lastCharTable, true);
        SetHZInfoEx(atom, block.firstCharTable, false);
    }
}

}  // namespace

int32_t FilterSize(size_t atoms) {
    if (atoms <= 64) return Hash_Nearest_Prime_Rule(640);
    if (atoms <= 256) return Hash_Nearest_Prime_Rule(2560);
    if (atoms <= 2560) return Hash_Nearest_Prime_Rule(25600);
    if (atoms <= 25600) return Hash_Nearest_Prime_Rule(256000);
    return Hash_Nearest_Prime_Rule(2560000);
}

bool Read_Old_Net(const std::string& path, WordNetData& net) {
    net = WordNetData();
    std::string bytes;
    bool ok = ReadTextFile(path, bytes);
    if (ok) {
        ByteReader in(bytes);
        uint32_t words = 0;
        ok = in.Fixed(words) && words <= in.remaining() / 2;
        for (uint32_t i = 0; ok && i < words; ++i) {
            uint16_t size = 0;
            std::string word;
            ok = in.Fixed(size) && in.Bytes(size, word);
            net.atoms.push_back(TrimAtom(std::move(word)));
        }
        ok = ok && ReadNodes(in, net);
    }
    if (!ok) CompilerError("Error read %s.\n", path);
    return ok;
}

FsaBlock Encode_Old_Net(const WordNetData& net, const std::string& name) {
    FsaBlock block;
    const int32_t count = static_cast<int32_t>(net.nodes.size());
    block.name = name;
    block.longest = Longest(net);
    block.filter.assign(static_cast<size_t>(FilterSize(net.atoms.size())), 0);
    for (const std::string& atom : net.atoms) FilterSet(block.filter, atom);
    block.startNode = 0;
    block.endNode = count - 1;
    block.atoms = net.atoms;
    block.forward.resize(net.nodes.size());
    block.backward.resize(net.nodes.size());
    std::map<std::string, std::vector<int32_t>> sets;
    for (int32_t number = 0; number < count; ++number) {
        const WordNetData::Node& node = net.nodes[number];
        FsaForwardRecord& record = block.forward[number];
        record.type = static_cast<int32_t>(node.type);
        record.atom = node.atom;
        record.tag = node.instance;
        SplitSuccessors(net, number, record);
        if (node.type == WORD || node.type == ATTR || node.type == CW) sets[AtomText(net, number)].push_back(number);
        for (const auto* list : {&record.words, &record.carets, &record.attrs, &record.tables})
            AddPredecessor(net, number, *list, block.backward);
    }
    for (FsaBackwardRecord& record : block.backward) {
        SortUnique(record.words);
        std::stable_sort(record.words.begin(), record.words.end(),
                         [&](int32_t a, int32_t b) { return strcmp_l(AtomText(net, a), AtomText(net, b)) < 0; });
        SortUnique(record.attrs);
        SortUnique(record.tables);
        SortUnique(record.starts);
    }
    LengthTables(net, block);
    for (auto& [text, numbers] : sets) block.sets.push_back(FsaNodeSet{text, std::move(numbers)});
    return block;
}

bool DictIdx(const std::string& name, const std::string& netPath, FILE* data, std::map<std::string, int32_t>& offsets) {
    WordNetData net;
    if (!Read_Old_Net(netPath, net)) {
        CompilerError("Error read %s\n", netPath);
        return false;
    }
    const std::string block = EncodeFsaBlock(Encode_Old_Net(net, name));
    offsets[name] = static_cast<int32_t>(ftell(data));
    return fwrite(block.data(), 1, block.size(), data) == block.size();
}

bool RuleIdx(const std::string& netPath, const std::string& outPath, const std::string& dumpPath) {
    WordNetData net;
    if (!Read_Old_Net(netPath, net)) return false;
    const FsaBlock block = Encode_Old_Net(net, netPath);
    if (!WriteFsaSingleBlock(outPath, block)) {
        CompilerError("Error open %s\n", outPath);
        return false;
    }
    if (!dumpPath.empty()) {
        // The dump shows the network as a loader reads it back from the file.
        FsaBlock written;
        std::string body;
        FILE* file = fopen(outPath.c_str(), "rb");
        const bool read = file && ReadFsaBlockAt(file, 0, body) && DecodeFsaBody(body, written);
        if (file) fclose(file);
        if (read) WriteToLog(written, dumpPath);
    }
    return true;
}

}  // namespace compiled_net
}  // namespace zel
