#include "qav/index/engine/hash_table.h"

#include <algorithm>
#include <functional>

namespace qav {

void CHashTable::Reset(uint32_t bucketCount) {
    unit_list.clear();
    nodes_.clear();
    next_id = 0;
    bucket_count_ = bucketCount ? bucketCount : kDefaultBucketCount;
    heads_.clear();
    linked_.store(true, std::memory_order_release);
    names_.Clear();
}

uint32_t CHashTable::HashText(std::string_view text) {
    uint32_t h = 0;
    for (unsigned char byte : text) h = h * 64 + byte;
    return h;
}

uint32_t CHashTable::HashVal(std::string_view text) const {
    return bucket_count_ == 0 ? 0 : HashText(text) % bucket_count_;
}

uint64_t CHashTable::MixedHash(std::string_view name) { return std::hash<std::string_view>{}(name); }

size_t CHashTable::FindSlot(std::string_view name, uint64_t hash) const {
    return names_.Find(name, hash, [this](uint32_t place) { return std::string_view(nodes_[place].name); });
}

CHashNode* CHashTable::GetHashNode(std::string_view name) const {
    if (names_.empty()) return nullptr;
    const size_t slot = FindSlot(name, MixedHash(name));
    return names_.Used(slot) ? NodeAt(names_.First(slot)) : nullptr;
}

CHashNode* CHashTable::GetHashNode(std::string_view name, int32_t type) const {
    return GetHashNode(name, type, MixedHash(name));
}

CHashNode* CHashTable::GetHashNode(std::string_view name, int32_t type, uint64_t hash) const {
    if (names_.empty()) return nullptr;
    const size_t slot = FindSlot(name, hash);
    if (!names_.Used(slot)) return nullptr;
    for (CHashNode* node = NodeAt(names_.First(slot)); node; node = node->same_name)
        if (node->type == type) return node;
    return nullptr;
}

void CHashTable::PrefetchSlot(uint64_t hash) const { names_.Prefetch(hash); }

void CHashTable::PrefetchNode(uint64_t hash) const {
    uint32_t first = 0;
    if (!names_.FirstProbe(hash, &first)) return;
    // The name (with its bytes, when short) and the counts a look-up's caller
    // goes on to read or change: the whole node, which may touch three lines.
    const char* node = reinterpret_cast<const char*>(&nodes_[first]);
    for (size_t at = 0; at < sizeof(CHashNode); at += 64) __builtin_prefetch(node + at);
    __builtin_prefetch(node + sizeof(CHashNode) - 1);
}

CHashNode* CHashTable::GetOrAdd(std::string_view name, int32_t type, bool* created) {
    return GetOrAdd(name, type, MixedHash(name), created);
}

CHashNode* CHashTable::GetOrAdd(std::string_view name, int32_t type, uint64_t hash, bool* created) {
    if (bucket_count_ == 0) bucket_count_ = kDefaultBucketCount;
    names_.MakeRoom([this](uint32_t place) { return std::string_view(nodes_[place].name); }, MixedHash);
    const size_t slot = FindSlot(name, hash);
    CHashNode* first = names_.Used(slot) ? &nodes_[names_.First(slot)] : nullptr;
    CHashNode** link = &first;
    for (; *link; link = &(*link)->same_name) {
        if ((*link)->type == type) {
            if (created) *created = false;
            return *link;
        }
    }
    CHashNode* node = &nodes_.emplace_back(name, type);
    if (!names_.Used(slot))
        names_.Fill(slot, hash, static_cast<uint32_t>(nodes_.size() - 1));
    else
        *link = node;
    linked_.store(false, std::memory_order_relaxed);
    if (created) *created = true;
    return node;
}

CHashNode* CHashTable::bucket(uint32_t index) const {
    LinkChains();
    const auto head = std::lower_bound(heads_.begin(), heads_.end(), BucketHead{index, 0});
    return head == heads_.end() || head->first != index ? nullptr : NodeAt(head->second);
}

void CHashTable::LinkChains() const {
    if (linked_.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> lock(link_mutex_);
    if (linked_.load(std::memory_order_relaxed)) return;
    // Nodes sit in nodes_ in the order added, so ordering their places by
    // bucket, then place, gives each chain in the order its nodes were added.
    std::vector<BucketHead> order(nodes_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = {HashVal(nodes_[i].name), static_cast<uint32_t>(i)};
    std::sort(order.begin(), order.end());
    heads_.clear();
    for (size_t k = 0; k < order.size(); ++k) {
        const bool first = k == 0 || order[k - 1].first != order[k].first;
        const bool last = k + 1 == order.size() || order[k + 1].first != order[k].first;
        if (first) heads_.push_back(order[k]);
        NodeAt(order[k].second)->next = last ? nullptr : NodeAt(order[k + 1].second);
    }
    heads_.shrink_to_fit();
    linked_.store(true, std::memory_order_release);
}

}  // namespace qav
