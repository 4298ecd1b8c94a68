// The state-machine converter: a finite-state machine given as lines of
// tab-separated edges (from-state, to-state, label) becomes rule text, one
// sub-rule per inner state and the rule ".rule_0" for the start state.
#include <cstdlib>
#include <iterator>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/conv_pub.h"

namespace zel {

namespace {

std::string SubRuleName(int state) { return "subrule_" + std::to_string(state); }

}  // namespace

CFsmNode CConvPub::parseFSMLine(std::string_view line) {
    // The line end is no part of the label: a label carrying it would break
    // the rule line it is written into.
    line = LineContent(line);
    CFsmNode node;
    const size_t firstTab = line.find('\t');
    node.from = atoi(std::string(line.substr(0, firstTab)).c_str());
    if (firstTab == std::string_view::npos) return node;
    const size_t secondTab = line.find('\t', firstTab + 1);
    node.to = atoi(std::string(line.substr(firstTab + 1, secondTab - firstTab - 1)).c_str());
    if (secondTab == std::string_view::npos) return node;
    const size_t thirdTab = line.find('\t', secondTab + 1);
    node.label = std::string(line.substr(secondTab + 1, thirdTab - secondTab - 1));
    return node;
}

bool CConvPub::parseFSMFile(const std::string& machine, FsmEdges& edges) {
    std::string text;
    if (!ReadTextFile(machine, text)) {
        message_ = FormatMessage("Cannot open file %s\n", machine);
        CompilerError(message_);
        return false;
    }
    for (const std::string& line : SplitLinesWithEnds(text)) {
        // A blank line is no edge (it would read as an unlabelled edge of
        // state 0).
        if (LineContent(line).empty()) continue;
        CFsmNode node = parseFSMLine(line);
        edges.emplace(node.from, std::move(node));
    }
    return true;
}

FsmStatus CConvPub::collecFSMtNodeStatus(const FsmEdges& edges) {
    FsmStatus final;
    for (const auto& edge : edges) {
        const CFsmNode& node = edge.second;
        auto from = final.emplace(node.from, true).first;
        if (!node.label.empty()) from->second = false;
        final.emplace(node.to, true);
    }
    return final;
}

bool CConvPub::isTerminal(const FsmStatus& status, int state) {
    const auto found = status.find(state);
    return found == status.end() || found->second;
}

std::string CConvPub::convertFSMNode(const FsmEdges& edges, const FsmStatus& status) {
    if (edges.count(0) == 0) return "";
    std::string rule;
    std::vector<std::string> subRules;
    for (auto first = edges.lower_bound(0); first != edges.end(); first = edges.upper_bound(first->first)) {
        const int state = first->first;
        if (isTerminal(status, state)) continue;
        const auto range = edges.equal_range(state);
        bool optional = false;
        std::string body;
        for (auto edge = range.first; edge != range.second; ++edge) {
            const CFsmNode& node = edge->second;
            if (node.label.empty()) {
                optional = true;
                continue;
            }
            body += "( " + node.label + " ";
            if (!isTerminal(status, node.to)) body += SubRuleName(node.to) + " ";
            body += ") ";
        }
        if (std::distance(range.first, range.second) > 1) body = "[ " + body + "]";
        std::string text = (state == 0 ? ".rule_0" : SubRuleName(state)) + " ";
        if (optional) text += "?";
        text += body + "\n";
        if (state == 0) {
            rule = text;
        } else {
            subRules.push_back(text);
        }
    }
    std::string out;
    for (auto line = subRules.rbegin(); line != subRules.rend(); ++line) out += *line;
    return out + rule;
}

bool CConvPub::FSM2GrammarFile(const std::string& machine, const std::string& output) {
    FsmEdges edges;
    if (!parseFSMFile(machine, edges)) return false;
    if (!WriteTextFile(output, convertFSMNode(edges, collecFSMtNodeStatus(edges)))) {
        message_ = FormatMessage("Error:Cannot write file %s\n", output);
        CompilerError(message_);
        return false;
    }
    return true;
}

}  // namespace zel
