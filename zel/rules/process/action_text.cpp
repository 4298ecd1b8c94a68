#include "zel/rules/process/action_text.h"

#include "zel/rules/net/rule_net.h"
#include "zel/rules/ops/operator_table.h"

namespace zel {
namespace {

// The character an escape stands for, or 0 when the backslash is kept.
char Unescape(char c) {
    switch (c) {
        case '&': return '"';
        case '*': return '{';
        case '-': return '+';
        case '/': return '~';
        case '!': return '#';
        case '<': return '[';
        case '>': return ']';
        case '@': return '\n';
        case '_': return '?';
        case '`': return '$';
        case '|': return '}';
        default: return 0;
    }
}

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x81; }

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

void TransferBuff(const CRuleNet& net, const std::string& action, std::string& out) {
    out.clear();
    for (const std::string& library : net.libraries) {
        const std::string* body = g_OperatorTable.LibraryBody(library);
        if (body) out += *body + "\n";
    }
    for (size_t i = 0; i < action.size(); ++i) {
        // A two-byte character is copied whole: its second byte may be a
        // backslash.
        if (IsLeadByte(action[i]) && i + 1 < action.size()) {
            out.append(action, i, 2);
            ++i;
            continue;
        }
        const char decoded = action[i] == '\\' && i + 1 < action.size() ? Unescape(action[i + 1]) : 0;
        if (decoded) {
            out += decoded;
            ++i;
        } else {
            out += action[i];
        }
    }
}

void TransferVar(CLattice& lattice, const CRuleNet& net, const std::string& text, std::string& out) {
    out.clear();
    std::string value;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(text[i]) && i + 1 < text.size()) {
            out.append(text, i, 2);
            ++i;
            continue;
        }
        if (text[i] == '$') {
            size_t end = i + 1;
            while (end < text.size() && IsAsciiAlnum(text[end])) ++end;
            if (end > i + 1 && net.GetParam(&lattice, text.substr(i + 1, end - i - 1).c_str(), value)) {
                out += value;
                i = end - 1;
                continue;
            }
        }
        out += text[i];
    }
}

std::string MakeExecutable(CLattice& lattice, const CRuleNet& net, const std::string& action) {
    std::string withLibraries, executable;
    TransferBuff(net, action, withLibraries);
    TransferVar(lattice, net, withLibraries, executable);
    return executable;
}

}  // namespace zel
