// Reads back what the compiler writes: a block body and an index file, with
// every count checked against the bytes left.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

struct ReadBack {
    explicit ReadBack(std::string bytes) : bytes(std::move(bytes)) {}
    bool ok = true;
    std::string bytes;
    size_t at = 0;

    int32_t I32() {
        int32_t v = 0;
        if (bytes.size() - at < 4) {
            ok = false;
            return 0;
        }
        std::memcpy(&v, bytes.data() + at, 4);
        at += 4;
        return v;
    }
    uint16_t U16() {
        uint16_t v = 0;
        if (bytes.size() - at < 2) {
            ok = false;
            return 0;
        }
        std::memcpy(&v, bytes.data() + at, 2);
        at += 2;
        return v;
    }
    std::string Text(size_t size) {
        if (bytes.size() - at < size) {
            ok = false;
            return "";
        }
        at += size;
        return bytes.substr(at - size, size);
    }
    std::string Text() { return Text(static_cast<size_t>(I32())); }
    std::vector<int32_t> List() {
        std::vector<int32_t> list(static_cast<size_t>(std::max(0, I32())));
        for (int32_t& v : list) v = I32();
        return list;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> list(static_cast<size_t>(std::max(0, I32())));
        for (std::string& v : list) v = Text();
        return list;
    }
};

struct DecodedBlock {
    struct Node {
        int32_t type, atom, tag;
        std::vector<int32_t> word, caret, attr, other, table;
        std::vector<int32_t> wordPrev, attrPrev, tablePrev, startPrev;
    };
    std::string name;
    int32_t longest = 0, filterSize = 0, start = 0, end = 0;
    std::string filter;
    std::vector<std::string> atoms;
    std::vector<Node> nodes;
    std::vector<uint16_t> lastChars, firstChars;
    std::map<std::string, std::vector<int32_t>> sets;
};

inline bool DecodeBody(const std::string& body, DecodedBlock& block) {
    ReadBack in(body);
    block.name = in.Text();
    block.longest = in.I32();
    block.filterSize = in.I32();
    block.filter = in.Text(static_cast<size_t>(block.filterSize));
    const int32_t count = in.I32();
    block.start = in.I32();
    block.end = in.I32();
    const int32_t atoms = in.I32();
    for (int32_t i = 0; i < atoms && in.ok; ++i) block.atoms.push_back(in.Text());
    block.nodes.resize(static_cast<size_t>(std::max(0, count)));
    for (DecodedBlock::Node& node : block.nodes) {
        node.type = in.I32();
        node.atom = in.I32();
        node.tag = in.I32();
        node.word = in.List();
        in.Text(node.word.size() * 4);
        node.caret = in.List();
        in.Text(node.caret.size() * 4);
        node.attr = in.List();
        node.other = in.List();
        node.table = in.List();
    }
    for (DecodedBlock::Node& node : block.nodes) {
        node.wordPrev = in.List();
        in.Text(node.wordPrev.size() * 4);
        node.attrPrev = in.List();
        node.tablePrev = in.List();
        node.startPrev = in.List();
    }
    const int32_t tableSize = in.I32();
    for (int32_t i = 0; i < tableSize && in.ok; ++i) block.lastChars.push_back(in.U16());
    for (int32_t i = 0; i < tableSize && in.ok; ++i) block.firstChars.push_back(in.U16());
    const int32_t sets = in.I32();
    for (int32_t i = 0; i < sets && in.ok; ++i) {
        const std::string name = in.Text();
        block.sets[name] = in.List();
    }
    return in.ok && in.at == body.size();
}

struct IndexEntry {
    std::string name;
    int32_t offset;
    std::vector<std::string> libraries, defaults, conditions;
};

inline bool DecodeIndex(const std::string& bytes, std::vector<IndexEntry>& entries) {
    ReadBack in(bytes);
    const int32_t count = in.I32();
    for (int32_t i = 0; i < count && in.ok; ++i) {
        IndexEntry entry;
        entry.name = in.Text();
        entry.offset = in.I32();
        entry.libraries = in.Texts();
        entry.defaults = in.Texts();
        entry.conditions = in.Texts();
        entries.push_back(entry);
    }
    return in.ok && in.at == bytes.size();
}

// The body of the block at offset of a data file.
inline std::string BlockAt(const std::string& data, int32_t offset) {
    ReadBack in(data);
    in.at = static_cast<size_t>(offset);
    const int32_t size = in.I32();
    return in.Text(static_cast<size_t>(size));
}
