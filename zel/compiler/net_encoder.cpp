#include "zel/compiler/net_encoder.h"

#include <algorithm>
#include <cstring>

#include "zel/compiler/block_text.h"
#include "zel/compiler/byte_writer.h"
#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"

namespace zel {
namespace compiled_net {

namespace {

enum : uint32_t { kEnter = 0, kExit = 1, kWord = 3, kWordLH = 4, kReturn = 5, kAttr = 6, kCw = 8 };
constexpr uint32_t kNone = 0xFFFFFFFFu;

// Reads little-endian fields and refuses to run past the end.
class Cursor {
public:
    explicit Cursor(const std::string& bytes) : bytes_(bytes) {}
    bool U32(uint32_t& value) { return Take(&value, 4); }
    bool U16(uint16_t& value) { return Take(&value, 2); }
    bool Text(size_t size, std::string& text) {
        if (bytes_.size() - at_ < size) return false;
        text.assign(bytes_, at_, size);
        at_ += size;
        return true;
    }
    size_t left() const { return bytes_.size() - at_; }

private:
    bool Take(void* value, size_t size) {
        if (bytes_.size() - at_ < size) return false;
        std::memcpy(value, bytes_.data() + at_, size);
        at_ += size;
        return true;
    }
    const std::string& bytes_;
    size_t at_ = 0;
};

std::string TrimAtom(std::string text) {
    while (text.size() > 1 && text.back() == ' ') text.pop_back();
    TrimLeftBlanks(text);
    return text;
}

bool ReadNodes(Cursor& in, WordNetData& net) {
    uint32_t count = 0;
    if (!in.U32(count) || count > in.left() / 16) return false;
    net.nodes.resize(count);
    for (WordNetData::Node& node : net.nodes) {
        uint32_t word = 0, instance = 0, successors = 0;
        if (!in.U32(node.type) || !in.U32(word) || !in.U32(instance) || !in.U32(successors)) return false;
        if (word != kNone && word >= net.atoms.size()) return false;
        if (successors > in.left() / 8) return false;
        node.atom = word == kNone ? -1 : static_cast<int32_t>(word);
        node.instance = static_cast<int32_t>(instance);
        node.next.resize(successors);
        node.weights.resize(successors);
        for (int32_t& next : node.next) {
            uint32_t number = 0;
            if (!in.U32(number) || number >= count) return false;
            next = static_cast<int32_t>(number);
        }
        for (float& weight : node.weights) {
            uint32_t bits = 0;
            if (!in.U32(bits)) return false;
            std::memcpy(&weight, &bits, 4);
        }
    }
    return count > 0;
}

const std::string& AtomText(const WordNetData& net, int32_t node) {
    static const std::string kEmpty;
    const int32_t atom = net.nodes[node].atom;
    return atom < 0 ? kEmpty : net.atoms[atom];
}

void AppendList(std::string& out, const std::vector<int32_t>& list) {
    AppendI32(out, static_cast<int32_t>(list.size()));
    for (int32_t number : list) AppendI32(out, number);
}

void AppendWeighted(std::string& out, const std::vector<int32_t>& list) {
    AppendList(out, list);
    for (size_t i = 0; i < list.size(); ++i) AppendLE<float>(out, 0.0f);
}

// The successors of one node split by their kind, as the block lists them.
void SplitSuccessors(const WordNetData& net, int32_t number, EncodedNet::Lists& lists) {
    const WordNetData::Node& node = net.nodes[number];
    for (int32_t next : node.next) {
        switch (net.nodes[next].type) {
            case kWord: lists.word.push_back(next); break;
            case kWordLH: lists.caret.push_back(next); break;
            case kAttr: lists.attr.push_back(next); break;
            case kCw: lists.table.push_back(next); break;
            case kExit:
                // Only a return node ends the network.
                if (node.type == kReturn) lists.other.push_back(next);
                break;
            default: lists.other.push_back(next); break;
        }
    }
    std::stable_sort(lists.word.begin(), lists.word.end(),
                     [&](int32_t a, int32_t b) { return AtomText(net, a) < AtomText(net, b); });
    std::stable_sort(lists.caret.begin(), lists.caret.end(),
                     [&](int32_t a, int32_t b) { return strcmp_l(AtomText(net, a), AtomText(net, b)) < 0; });
}

void AddPredecessor(const WordNetData& net, int32_t from, const std::vector<int32_t>& successors,
                    std::vector<EncodedNet::Lists>& lists) {
    std::vector<int32_t> EncodedNet::Lists::*set = nullptr;
    switch (net.nodes[from].type) {
        case kWord: set = &EncodedNet::Lists::wordPrev; break;
        case kEnter: set = &EncodedNet::Lists::startPrev; break;
        case kAttr: set = &EncodedNet::Lists::attrPrev; break;
        case kCw: set = &EncodedNet::Lists::tablePrev; break;
        default: return;
    }
    for (int32_t next : successors) (lists[next].*set).push_back(from);
}

void SortUnique(std::vector<int32_t>& list) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
}

void AppendFilter(std::string& out, const WordNetData& net) {
    int32_t longest = 0;
    for (const std::string& atom : net.atoms) {
        if (!atom.empty() && static_cast<unsigned char>(atom[0]) >= 0x80)
            longest = std::max<int32_t>(longest, static_cast<int32_t>(atom.size() / 2));
    }
    const int32_t size = FilterSize(net.atoms.size());
    std::string filter(size, '\0');
    for (const std::string& atom : net.atoms) {
        const uint32_t i = GetHash(atom) % static_cast<uint32_t>(size);
        filter[i] = static_cast<char>(filter[i] | (1 << (i % 8)));
    }
    AppendI32(out, longest);
    AppendI32(out, size);
    out += filter;
}

void AppendLengthTables(std::string& out, const WordNetData& net) {
    if (net.atoms.size() < 101) {
        int32_t longest = 0;
        for (const std::string& atom : net.atoms) {
            if (!atom.empty() && static_cast<unsigned char>(atom[0]) >= 0x80)
                longest = std::max<int32_t>(longest, static_cast<int32_t>(atom.size() / 2));
        }
        AppendI32(out, 1);
        AppendLE<uint16_t>(out, static_cast<uint16_t>(longest));
        AppendLE<uint16_t>(out, static_cast<uint16_t>(longest));
        return;
    }
    std::vector<uint16_t> lastChars(kLastHz, 0);
    std::vector<uint16_t> firstChars(kLastHz, 0);
    for (const std::string& atom : net.atoms) {
        SetHZInfoEx(atom, lastChars, true);
        SetHZInfoEx(atom, firstChars, false);
    }
    AppendI32(out, kLastHz);
    for (uint16_t entry : lastChars) AppendLE(out, entry);
    for (uint16_t entry : firstChars) AppendLE(out, entry);
}

}  // namespace

int32_t FilterSize(size_t atoms) {
    int32_t base = 2560000;
    if (atoms <= 64) base = 640;
    else if (atoms <= 256) base = 2560;
    else if (atoms <= 2560) base = 25600;
    else if (atoms <= 25600) base = 256000;
    int32_t size = base % 2 == 0 ? base + 1 : base;
    for (;; size += 2) {
        bool prime = true;
        for (int32_t d = 3; d <= size / 3 && prime; ++d) prime = size % d != 0;
        if (prime) return size;
    }
}

bool Read_Old_Net(const std::string& path, WordNetData& net) {
    net = WordNetData();
    std::string bytes;
    bool ok = ReadTextFile(path, bytes);
    if (ok) {
        Cursor in(bytes);
        uint32_t words = 0;
        ok = in.U32(words) && words <= in.left() / 2;
        for (uint32_t i = 0; ok && i < words; ++i) {
            uint16_t size = 0;
            std::string word;
            ok = in.U16(size) && in.Text(size, word);
            net.atoms.push_back(TrimAtom(std::move(word)));
        }
        ok = ok && ReadNodes(in, net);
    }
    if (!ok) CompilerError("Error read %s.\n", path);
    return ok;
}

EncodedNet Encode_Old_Net(const WordNetData& net, const std::string& name) {
    EncodedNet encoded;
    std::string& out = encoded.body;
    const int32_t count = static_cast<int32_t>(net.nodes.size());
    AppendText(out, name);
    AppendFilter(out, net);
    AppendI32(out, count);
    AppendI32(out, 0);
    AppendI32(out, count - 1);
    AppendI32(out, static_cast<int32_t>(net.atoms.size()));
    for (const std::string& atom : net.atoms) AppendText(out, atom);

    encoded.nodes.resize(net.nodes.size());
    for (int32_t number = 0; number < count; ++number) {
        const WordNetData::Node& node = net.nodes[number];
        EncodedNet::Lists& lists = encoded.nodes[number];
        SplitSuccessors(net, number, lists);
        AppendU32(out, node.type);
        AppendI32(out, node.atom);
        AppendI32(out, node.instance);
        AppendWeighted(out, lists.word);
        AppendWeighted(out, lists.caret);
        AppendList(out, lists.attr);
        AppendList(out, lists.other);
        AppendList(out, lists.table);
        if (node.type == kWord || node.type == kAttr || node.type == kCw)
            encoded.nodeSets[AtomText(net, number)].push_back(number);
        for (const auto* list : {&lists.word, &lists.caret, &lists.attr, &lists.table})
            AddPredecessor(net, number, *list, encoded.nodes);
    }

    for (EncodedNet::Lists& lists : encoded.nodes) {
        SortUnique(lists.wordPrev);
        std::stable_sort(lists.wordPrev.begin(), lists.wordPrev.end(),
                         [&](int32_t a, int32_t b) { return strcmp_l(AtomText(net, a), AtomText(net, b)) < 0; });
        AppendList(out, lists.wordPrev);
        for (size_t i = 0; i < lists.wordPrev.size(); ++i) AppendI32(out, 0);
        for (auto* list : {&lists.attrPrev, &lists.tablePrev, &lists.startPrev}) {
            SortUnique(*list);
            AppendList(out, *list);
        }
    }

    AppendLengthTables(out, net);
    AppendI32(out, static_cast<int32_t>(encoded.nodeSets.size()));
    for (const auto& [text, numbers] : encoded.nodeSets) {
        AppendText(out, text);
        AppendList(out, numbers);
    }
    return encoded;
}

bool DictIdx(const std::string& name, const std::string& netPath, FILE* data, std::map<std::string, int32_t>& offsets) {
    WordNetData net;
    if (!Read_Old_Net(netPath, net)) {
        CompilerError("Error read %s\n", netPath);
        return false;
    }
    const EncodedNet encoded = Encode_Old_Net(net, name);
    offsets[name] = static_cast<int32_t>(ftell(data));
    std::string block;
    AppendI32(block, static_cast<int32_t>(encoded.body.size()));
    block += encoded.body;
    return fwrite(block.data(), 1, block.size(), data) == block.size();
}

bool RuleIdx(const std::string& netPath, const std::string& outPath, const std::string& dumpPath) {
    WordNetData net;
    if (!Read_Old_Net(netPath, net)) return false;
    const EncodedNet encoded = Encode_Old_Net(net, netPath);
    std::string block;
    AppendI32(block, static_cast<int32_t>(encoded.body.size()));
    block += encoded.body;
    if (!WriteTextFile(outPath, block)) {
        CompilerError("Error open %s\n", outPath);
        return false;
    }
    if (!dumpPath.empty()) WriteToLog(net, encoded, dumpPath);
    return true;
}

}  // namespace compiled_net
}  // namespace zel
