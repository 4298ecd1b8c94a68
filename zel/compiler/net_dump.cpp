// The readable dump of a compiled network.
#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/net_encoder.h"

namespace zel {
namespace compiled_net {

namespace {

const char kRule[] = "====================================\n";

const char* BlockTypeName(int32_t type) {
    static const char* const kNames[] = {"ENTER", "EXIT", "SYLLABLE", "WORD", "WORDLH", "OPERATE", "ATTR", "SR", "CW"};
    return type >= 0 && type < 9 ? kNames[type] : "";
}

void AppendNumbers(std::string& out, const char* label, const std::vector<int32_t>& numbers) {
    out += label;
    for (int32_t number : numbers) out += std::to_string(number) + "\t";
}

}  // namespace

bool WriteToLog(const FsaBlock& block, const std::string& path) {
    std::string out = kRule;
    out += "           Wordlist\n";
    out += kRule;
    for (size_t i = 0; i < block.atoms.size(); ++i) {
        out += "<" + std::to_string(i) + ">" + block.atoms[i] + "\t";
        if ((i + 1) % 15 == 0) out += "\n";
    }
    out += "\n";
    out += kRule;
    out += "           CFG NET        \n";
    out += kRule;
    for (size_t number = 0; number < block.forward.size(); ++number) {
        const FsaForwardRecord& node = block.forward[number];
        out += "<" + std::to_string(number) + ">\t" + BlockTypeName(node.type);
        if (node.atom >= 0) out += "\t" + block.atoms[node.atom] + "\t" + std::to_string(node.tag);
        out += "\n";
        AppendNumbers(out, "NEXT:Word:", node.words);
        AppendNumbers(out, "ATT:", node.attrs);
        AppendNumbers(out, "RET:", node.others);
        AppendNumbers(out, "CW:", node.tables);
        out += "\n";
        if (number < block.backward.size()) {
            const FsaBackwardRecord& back = block.backward[number];
            AppendNumbers(out, "Prev Word:", back.words);
            AppendNumbers(out, "ATT:", back.attrs);
            AppendNumbers(out, "Enter:", back.starts);
            AppendNumbers(out, "CW:", back.tables);
        }
        out += "\n------------------------------\n";
    }
    out += "\n";
    out += kRule;
    out += "           Atom2ID        \n";
    out += kRule;
    for (const FsaNodeSet& set : block.sets) {
        AppendNumbers(out, (set.name + " -->").c_str(), set.nodes);
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
