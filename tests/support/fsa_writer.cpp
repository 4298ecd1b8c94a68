#include "support/fsa_writer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#include "zel/rules/format/rule_hash.h"

namespace qztest {

namespace {

using zel::FsaBackwardRecord;
using zel::FsaBlock;
using zel::FsaForwardRecord;

void SortByText(std::vector<int32_t>& list, const NetSpec& spec, bool reversed) {
    std::stable_sort(list.begin(), list.end(), [&](int32_t a, int32_t b) {
        const std::string& ta = spec.nodes[static_cast<size_t>(a)].text;
        const std::string& tb = spec.nodes[static_cast<size_t>(b)].text;
        return reversed ? zel::strcmp_l(ta, tb) < 0 : std::strcmp(ta.c_str(), tb.c_str()) < 0;
    });
}

void AddSuccessor(FsaForwardRecord& from, int fromType, int to, int toType) {
    switch (toType) {
        case zel::WORD: from.words.push_back(to); break;
        case zel::WORDLH: from.carets.push_back(to); break;
        case zel::ATTR: from.attrs.push_back(to); break;
        case zel::CW: from.tables.push_back(to); break;
        case zel::EXIT:
            if (fromType == zel::Return) from.others.push_back(to);
            break;
        default: from.others.push_back(to); break;
    }
}

void AddPredecessor(FsaBackwardRecord& to, int toType, int from, int fromType) {
    if (toType != zel::WORD && toType != zel::WORDLH && toType != zel::ATTR && toType != zel::CW) return;
    switch (fromType) {
        case zel::WORD: to.words.push_back(from); break;
        case zel::ATTR: to.attrs.push_back(from); break;
        case zel::CW: to.tables.push_back(from); break;
        case zel::ENTER: to.starts.push_back(from); break;
        default: break;
    }
}

}  // namespace

FsaBlock BuildFsaBlock(const NetSpec& spec) {
    FsaBlock block;
    block.name = spec.name;
    block.hasBackward = spec.backward;
    block.endNode = static_cast<int32_t>(spec.nodes.size()) - 1;
    block.filter.assign(zel::kFsaMinFilterSize, 0);
    std::map<std::string, int32_t> atomOf;
    for (const NetNode& node : spec.nodes) {
        FsaForwardRecord record;
        record.type = node.type;
        record.tag = node.tag;
        if (!node.text.empty()) {
            auto [it, added] = atomOf.emplace(node.text, static_cast<int32_t>(block.atoms.size()));
            if (added) {
                block.atoms.push_back(node.text);
                zel::FilterSet(block.filter, node.text);
                if (static_cast<unsigned char>(node.text[0]) >= 0x80) {
                    block.longest = std::max(block.longest, static_cast<int32_t>(node.text.size() / 2));
                }
            }
            record.atom = it->second;
        }
        block.forward.push_back(record);
    }
    block.backward.resize(spec.nodes.size());
    for (auto [from, to] : spec.edges) {
        if (from < 0 || to < 0 || from >= static_cast<int>(spec.nodes.size()) ||
            to >= static_cast<int>(spec.nodes.size())) {
            throw std::invalid_argument("edge names a node that does not exist");
        }
        int fromType = spec.nodes[static_cast<size_t>(from)].type;
        int toType = spec.nodes[static_cast<size_t>(to)].type;
        AddSuccessor(block.forward[static_cast<size_t>(from)], fromType, to, toType);
        AddPredecessor(block.backward[static_cast<size_t>(to)], toType, from, fromType);
    }
    std::map<std::string, std::vector<int32_t>> sets;
    for (size_t i = 0; i < spec.nodes.size(); ++i) {
        FsaForwardRecord& record = block.forward[i];
        SortByText(record.words, spec, false);
        SortByText(record.carets, spec, true);
        record.wordWeights.assign(record.words.size(), 0.0f);
        record.caretWeights.assign(record.carets.size(), 0.0f);
        SortByText(block.backward[i].words, spec, true);
        int type = spec.nodes[i].type;
        if (type == zel::WORD || type == zel::ATTR || type == zel::CW) {
            sets[spec.nodes[i].text].push_back(static_cast<int32_t>(i));
        }
    }
    block.lastCharTable = block.firstCharTable = {static_cast<uint16_t>(block.longest)};
    for (auto& [name, nodes] : sets) block.sets.push_back({name, nodes});
    return block;
}

void WriteRuleBase(const std::string& folder, const std::string& base, const std::vector<NetEntry>& entries) {
    std::vector<FsaBlock> blocks;
    blocks.reserve(entries.size());
    std::vector<zel::FsaNet> nets;
    for (const NetEntry& entry : entries) {
        blocks.push_back(BuildFsaBlock(entry.spec));
        zel::FsaNet net;
        net.entry.name = entry.name;
        net.entry.libraries = entry.libraries;
        net.entry.defaults = entry.defaults;
        net.entry.conditions = entry.conditions;
        net.block = entry.hasBlock ? &blocks.back() : nullptr;
        nets.push_back(net);
    }
    std::string idxPath, datPath;
    zel::FsaFileNames(folder, base, idxPath, datPath);
    if (!zel::WriteFsaFiles(idxPath, datPath, nets)) throw std::runtime_error("cannot write " + idxPath);
}

NetSpec TwoWordNet(const std::string& name, const std::string& action) {
    NetSpec spec;
    spec.name = name;
    const std::string beijing = "\xB1\xB1\xBE\xA9", university = "\xB4\xF3\xD1\xA7";  // GBK
    spec.nodes = {{zel::ENTER, ""}, {zel::EXIT, ""}, {zel::WORD, beijing, 0}, {zel::WORD, university, 1},
                  {zel::Return, action}};
    spec.edges = {{0, 2}, {2, 3}, {3, 4}, {4, 1}};
    return spec;
}

}  // namespace qztest
