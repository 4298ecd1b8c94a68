// The readable dump of an encoded network.
#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/net_encoder.h"

namespace zel {
namespace compiled_net {

namespace {

const char kRule[] = "====================================\n";

const char* BlockTypeName(uint32_t type) {
    static const char* const kNames[] = {"ENTER", "EXIT", "SYLLABLE", "WORD", "WORDLH", "OPERATE", "ATTR", "SR", "CW"};
    return type < 9 ? kNames[type] : "";
}

void AppendNumbers(std::string& out, const char* label, const std::vector<int32_t>& numbers) {
    out += label;
    for (int32_t number : numbers) out += std::to_string(number) + "\t";
}

}  // namespace

bool WriteToLog(const WordNetData& net, const EncodedNet& encoded, const std::string& path) {
    std::string out = kRule;
    out += "           Wordlist\n";
    out += kRule;
    for (size_t i = 0; i < net.atoms.size(); ++i) {
        out += "<" + std::to_string(i) + ">" + net.atoms[i] + "\t";
        if ((i + 1) % 15 == 0) out += "\n";
    }
    out += "\n";
    out += kRule;
    out += "           CFG NET        \n";
    out += kRule;
    for (size_t number = 0; number < net.nodes.size(); ++number) {
        const WordNetData::Node& node = net.nodes[number];
        const EncodedNet::Lists& lists = encoded.nodes[number];
        out += "<" + std::to_string(number) + ">\t" + BlockTypeName(node.type);
        if (node.atom >= 0) out += "\t" + net.atoms[node.atom] + "\t" + std::to_string(node.instance);
        out += "\n";
        AppendNumbers(out, "NEXT:Word:", lists.word);
        AppendNumbers(out, "ATT:", lists.attr);
        AppendNumbers(out, "RET:", lists.other);
        AppendNumbers(out, "CW:", lists.table);
        out += "\n";
        AppendNumbers(out, "Prev Word:", lists.wordPrev);
        AppendNumbers(out, "ATT:", lists.attrPrev);
        AppendNumbers(out, "Enter:", lists.startPrev);
        AppendNumbers(out, "CW:", lists.tablePrev);
        out += "\n------------------------------\n";
    }
    out += "\n";
    out += kRule;
    out += "           Atom2ID        \n";
    out += kRule;
    for (const auto& [text, numbers] : encoded.nodeSets) {
        AppendNumbers(out, (text + " -->").c_str(), numbers);
        out += "\n";
    }
    if (!WriteTextFile(path, out)) {
        CompilerError("Error open %s\n", path);
        return false;
    }
    return true;
}

}  // namespace compiled_net
}  // namespace zel
