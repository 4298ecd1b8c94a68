#include "qav/fulltext/build/qav_fst.h"

#include <cstdio>
#include <cstdlib>

#include "common/platform/file_handle.h"
#include "common/text/line_reader.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace bm {
namespace {

constexpr size_t kLineBuffer = 102399;
constexpr int64_t kLargestOneWord = 4294967294LL;

constexpr uint32_t kFinal = 0x01;
constexpr uint32_t kNewest = 0x06;
constexpr uint32_t kLeaf = 0x08;
constexpr uint32_t kOutput = 0x10;
constexpr uint32_t kFinalOutput = 0x20;
constexpr uint32_t kOutputTwoWords = 0x40;
constexpr uint32_t kFinalOutputTwoWords = 0x80;

}  // namespace

bool QAVFST::FSTIndex(const std::string& path) {
    qz::LineReader lines(path, kLineBuffer, qz::LongLines::kSplit);
    if (!lines.ok()) {
        QavLog("Error open %s\n", path.c_str());
        return false;
    }
    std::string line;
    std::string name;
    uint64_t count = 0;
    while (lines.Next(line) != qz::LineReader::kEnd) {
        if (++count % 10000 == 0) QavLogOnly("processed Line %llu\n", static_cast<unsigned long long>(count));
        const size_t blank = line.find(' ');
        int64_t value = 0;
        if (blank != std::string::npos) {
            name = line.substr(0, blank);
            value = std::atoll(line.c_str() + blank + 1);
        }
        if (!Add(name, value)) return false;
    }
    return true;
}

bool QAVFST::Add(std::string_view name, int64_t value) {
    if (name.empty() || full_) return !full_;
    if (name < std::string_view(last_name_)) {
        QavLog("Error: document name out of order after \"%s\"\n", last_name_.c_str());
        return false;
    }
    if (name.size() >= max_nodes_) {
        QavLog("m_nNodeSize:%zu m_nMaxNodeSize:%u\n", name.size(), max_nodes_);
        return false;
    }
    FreezeTail(name);
    last_name_.assign(name);
    if (!root_) {
        root_ = std::make_unique<FSTNode>();
        frontier_.assign(1, root_.get());
        if (!Push(0)) return false;
    }
    FSTNode* r = root_.get();
    for (char byte : name) {
        const auto label = static_cast<unsigned char>(byte);
        const auto found = r->arcs.find(label);
        if (found != r->arcs.end()) {
            FSTEdge& arc = found->second;
            FSTNode* t = arc.target.get();
            if (value >= arc.output) {
                value -= arc.output;
            } else {
                // Lower the shared arc to this value and push the rest below it.
                const int64_t rest = arc.output - value;
                arc.output = value;
                for (auto& [_, below] : t->arcs) below.output += rest;
                if (t->final) t->finalOutput += rest;
                value = 0;
            }
            r = t;
            continue;
        }
        for (auto& [_, arc] : r->arcs) arc.newest = false;
        FSTEdge& arc = r->arcs[label];
        arc.output = value;
        arc.target = std::make_unique<FSTNode>();
        arc.newest = true;
        r->labels.push_back(label);
        value = 0;
        r = arc.target.get();
        frontier_.push_back(r);
    }
    r->final = true;
    return true;
}

void QAVFST::FreezeTail(std::string_view name) {
    if (!root_) return;
    FSTNode* p = root_.get();
    size_t i = 0;
    bool stopped = false;
    for (char byte : name) {
        if (p->arcs.empty()) continue;
        const auto arc = p->arcs.find(static_cast<unsigned char>(byte));
        if (arc == p->arcs.end()) {
            stopped = true;
            break;
        }
        p = arc->second.target.get();
        ++i;
    }
    if (!stopped) return;
    for (size_t j = frontier_.size() - 1; j > i; --j) {
        FSTNode* node = frontier_[j];
        if (!node->arcs.empty()) Serialize(*node);
    }
    frontier_.resize(i + 1);
}

bool QAVFST::Push(uint32_t word) {
    if (words_.size() >= max_words_) {
        if (!full_) QavLog("m_pnBytes超长! m_nByteLength: %zu MAX_BYTE_SIZE:%u\n", words_.size(), max_words_);
        full_ = true;
        return false;
    }
    words_.push_back(word);
    return true;
}

bool QAVFST::PushValue(int64_t value, uint32_t& flags, uint32_t oneWord, uint32_t twoWords) {
    if (value == 0) return true;
    if (value <= kLargestOneWord) {
        flags |= oneWord;
        return Push(static_cast<uint32_t>(value));
    }
    flags |= oneWord | twoWords;
    return Push(static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32)) && Push(static_cast<uint32_t>(value));
}

bool QAVFST::Serialize(FSTNode& node) {
    for (auto label = node.labels.rbegin(); label != node.labels.rend(); ++label) {
        FSTEdge& arc = node.arcs.at(*label);
        const FSTNode& target = *arc.target;
        uint32_t flags = target.final ? kFinal : 0;
        if (arc.newest) {
            flags |= kNewest;
        } else if (!Push(target.position)) {
            return false;
        }
        if (target.arcs.empty()) flags |= kLeaf;
        if (!PushValue(arc.output, flags, kOutput, kOutputTwoWords) ||
            !PushValue(target.finalOutput, flags, kFinalOutput, kFinalOutputTwoWords) || !Push(*label) ||
            !Push(flags))
            return false;
        arc.target.reset();
    }
    node.position = static_cast<uint32_t>(words_.size() - 1);
    return true;
}

bool QAVFST::Finish() {
    for (size_t j = frontier_.size(); j-- > 0;) {
        FSTNode* node = frontier_[j];
        if (!node->arcs.empty() && !Serialize(*node)) return false;
    }
    frontier_.clear();
    return !full_;
}

bool QAVFST::WriteBytes2Files(const std::string& path) const {
    std::remove(path.c_str());
    qz::FileHandle file = qz::OpenFile(path, "wb");
    if (!file) return false;
    if (!words_.empty()) fwrite(words_.data(), sizeof(uint32_t), words_.size(), file.get());
    return qz::CloseFile(file);
}

}  // namespace bm

}  // namespace qav
