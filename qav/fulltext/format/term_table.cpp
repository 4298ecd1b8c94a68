#include "qav/fulltext/format/term_table.h"

#include <algorithm>

namespace qav::bm {

CHashTableBM::CHashTableBM(uint32_t size) : size_(size == 0 ? kDefaultHashSize : size) {}

uint32_t CHashTableBM::HashVal(std::string_view text) const {
    uint32_t h = 0;
    for (char c : text) {
        const auto signedByte = static_cast<int32_t>(static_cast<signed char>(c));
        h = (h * 64u + static_cast<uint32_t>(signedByte)) % size_;
    }
    return h;
}

CHashNodeBM* CHashTableBM::GetHashNode(std::string_view name) {
    const auto it = index_.find(name);
    return it == index_.end() ? nullptr : it->second;
}

const CHashNodeBM* CHashTableBM::GetHashNode(std::string_view name) const {
    const auto it = index_.find(name);
    return it == index_.end() ? nullptr : it->second;
}

CHashNodeBM& CHashTableBM::Append(std::string_view name) {
    CHashNodeBM& node = nodes_.emplace_back();
    node.name.assign(name.substr(0, kMaxTermBytes));
    index_.emplace(node.name, &node);
    return node;
}

CHashNodeBM& CHashTableBM::FindOrAppend(std::string_view name) {
    name = name.substr(0, kMaxTermBytes);
    if (CHashNodeBM* node = GetHashNode(name)) return *node;
    return Append(name);
}

CHashNodeBM& CHashTableBM::AddWord(std::string_view name, uint32_t position, uint32_t docOffset, uint8_t field,
                                   std::FILE* postingText) {
    CHashNodeBM& node = FindOrAppend(name);
    if (!node.postings.empty() && node.postings.back().position == position) return node;
    if (node.postings.size() == node.capacity) {
        WritePostingText(postingText, node);
        if (node.capacity < kLastPostingCapacity) node.capacity *= 2;
    }
    node.postings.push_back({position, docOffset, field});
    ++node.postingCount;
    if (node.lastDocOffset != docOffset) {
        node.lastDocOffset = docOffset;
        ++node.df;
    }
    return node;
}

CHashNodeBM& CHashTableBM::AddChunk(std::string_view name, uint32_t offset, uint8_t shard) {
    CHashNodeBM& node = FindOrAppend(name);
    node.chunkOffsets.push_back(offset);
    node.chunkShards.push_back(shard);
    return node;
}

CHashNodeBM& CHashTableBM::AddWordEx(std::string_view name, uint32_t df, uint32_t postingCount) {
    CHashNodeBM* node = GetHashNode(name.substr(0, kMaxTermBytes));
    if (!node) {
        node = &Append(name);
        node->termNumber = m_nTermCount++;
    }
    node->df += df;
    node->postingCount += postingCount;
    return *node;
}

CHashNodeBM& CHashTableBM::AddLoadedWord(std::string_view name, uint32_t termNumber, uint32_t df,
                                         uint32_t postingCount) {
    CHashNodeBM& node = nodes_.emplace_back();
    node.name.assign(name);
    index_.emplace(node.name, &node);  // a repeated name keeps the first node findable
    node.termNumber = termNumber;
    node.df = df;
    node.postingCount = postingCount;
    ++m_nTermCount;
    return node;
}

CHashNodeBM& CHashTableBM::AddWordVec(std::string_view name, const std::vector<uint32_t>& offsets,
                                      const std::vector<uint8_t>& shards) {
    CHashNodeBM& node = FindOrAppend(name);
    node.chunkOffsets.insert(node.chunkOffsets.end(), offsets.begin(), offsets.end());
    node.chunkShards.insert(node.chunkShards.end(), shards.begin(), shards.end());
    return node;
}

std::vector<CHashNodeBM*> CHashTableBM::InBucketOrder() {
    std::vector<std::pair<uint32_t, CHashNodeBM*>> keyed;
    keyed.reserve(nodes_.size());
    for (CHashNodeBM& node : nodes_) keyed.emplace_back(HashVal(node.name), &node);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<CHashNodeBM*> ordered;
    ordered.reserve(keyed.size());
    for (const auto& entry : keyed) ordered.push_back(entry.second);
    return ordered;
}

void WritePostingText(std::FILE* file, CHashNodeBM& node) {
    for (size_t i = 0; i < node.postings.size(); ++i) {
        if (i % kPostingsPerRun == 0) std::fprintf(file, "\n%s ", node.name.c_str());
        const BufferedPosting& p = node.postings[i];
        std::fprintf(file, "%d %d %d ", static_cast<int32_t>(p.position), static_cast<int32_t>(p.docOffset),
                     static_cast<int>(p.field));
    }
    node.postings.clear();
}

}  // namespace qav::bm
