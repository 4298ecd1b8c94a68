// Reading a NETWORK file pair and writing its readable listing. Both files
// are checked whole: a count, length or node number that does not fit the
// file refuses the pair, and nothing is read past its end.
#include <cstdio>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/word_net.h"
#include "zel/rules/format/byte_reader.h"

namespace zel {

namespace {

// Skips the header's text and reads the count that ends it.
bool ReadHeaderCount(ByteReader& in, uint32_t& count) {
    std::string text;
    int32_t value = 0;
    if (!in.Bytes(kNetHeaderTextSize, text) || !in.I32(value) || value < 0) return false;
    count = static_cast<uint32_t>(value);
    return true;
}

bool ReadNodes(const std::string& bytes, std::vector<NetWordlist::Node>& nodes) {
    ByteReader in(bytes);
    uint32_t count = 0;
    // A node record takes at least 16 bytes.
    if (!ReadHeaderCount(in, count) || count > in.remaining() / 16) return false;
    nodes.resize(count);
    for (NetWordlist::Node& node : nodes) {
        uint32_t successors = 0;
        if (!in.Fixed(node.type) || !in.Fixed(node.word) || !in.Fixed(node.third) || !in.Fixed(successors))
            return false;
        if (successors > in.remaining() / 8) return false;
        node.next.resize(successors);
        node.values.resize(successors);
        for (uint32_t& next : node.next) {
            if (!in.Fixed(next) || next >= count) return false;
        }
        for (uint32_t& value : node.values) {
            if (!in.Fixed(value)) return false;
        }
    }
    return in.AtEnd();
}

bool ReadWords(const std::string& bytes, std::vector<std::string>& words) {
    ByteReader in(bytes);
    uint32_t count = 0;
    // A word takes at least its length byte.
    if (!ReadHeaderCount(in, count) || count > in.remaining()) return false;
    words.resize(count);
    for (std::string& word : words) {
        uint8_t length = 0;
        if (!in.Fixed(length) || !in.Bytes(length, word)) return false;
        if (word == "_SILENCE") word = "sil";
    }
    return in.AtEnd();
}

bool WordsFit(const NetWordlist& net) {
    for (const NetWordlist::Node& node : net.nodes) {
        if (node.word != kNetNoWord && node.word >= net.words.size()) return false;
    }
    return true;
}

}  // namespace

bool CXML2WordNet::ReadNetWordlist(const std::string& netPath, const std::string& wordListPath, NetWordlist& net) {
    FreeNetWordlist(net);
    std::string nodeBytes, wordBytes;
    if (!ReadTextFile(netPath, nodeBytes)) {
        CompilerError("Error read %s\n", netPath);
        return false;
    }
    if (!ReadTextFile(wordListPath, wordBytes)) {
        CompilerError("Error read %s\n", wordListPath);
        return false;
    }
    NetWordlist read;
    if (!ReadNodes(nodeBytes, read.nodes)) {
        CompilerError("Error read %s\n", netPath);
        return false;
    }
    if (!ReadWords(wordBytes, read.words) || !WordsFit(read)) {
        CompilerError("Error read %s\n", wordListPath);
        return false;
    }
    net = std::move(read);
    return true;
}

void CXML2WordNet::FreeNetWordlist(NetWordlist& net) { net = NetWordlist(); }

bool CXML2WordNet::WriteNetWordlist(const NetWordlist& net, const std::string& path, bool append) {
    FILE* file = fopen(path.c_str(), append ? "rb+" : "wb");
    if (!file) {
        CompilerError("Error open %s\n", path);
        return false;
    }
    const auto wordOf = [&](uint32_t node, const char* none) -> std::string {
        if (node >= net.nodes.size()) return none;
        const uint32_t word = net.nodes[node].word;
        return word < net.words.size() ? net.words[word] : none;
    };
    std::string out = "===========================\nOutput Compressed Net\n";
    for (size_t number = 0; number < net.nodes.size(); ++number) {
        const NetWordlist::Node& node = net.nodes[number];
        const std::string name = number == 0 ? "Enter" : number == 1 ? "Exit" : wordOf(number, "");
        out += "(" + std::to_string(number) + ")\t" + name + "\t" + std::to_string(static_cast<int32_t>(node.third)) +
               "\t";
        for (uint32_t next : node.next) out += std::to_string(next) + "(" + wordOf(next, "_EXIT") + ") ";
        out += "\n";
    }
    bool ok = (!append || fseek(file, 0, SEEK_END) == 0) && fwrite(out.data(), 1, out.size(), file) == out.size();
    ok = fclose(file) == 0 && ok;
    return ok;
}

}  // namespace zel
