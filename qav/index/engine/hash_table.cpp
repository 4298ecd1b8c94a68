#include "qav/index/engine/hash_table.h"

#include <algorithm>
#include <functional>

namespace qav {

namespace {

constexpr size_t kFirstNameSlots = 64;

}  // namespace

void CHashTable::Reset(uint32_t bucketCount) {
    unit_list.clear();
    nodes_.clear();
    next_id = 0;
    bucket_count_ = bucketCount ? bucketCount : kDefaultBucketCount;
    heads_.clear();
    linked_.store(true, std::memory_order_release);
    names_.clear();
    names_used_ = 0;
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
    const size_t mask = names_.size() - 1;
    const uint32_t tag = SlotTag(hash);
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const NameSlot& slot = names_[at];
        if (slot.tag == 0 || (slot.tag == tag && nodes_[slot.first].name == name)) return at;
    }
}

void CHashTable::GrowNameIndex() {
    std::vector<NameSlot> old(std::max(names_.size() * 2, kFirstNameSlots));
    old.swap(names_);
    // The slots keep no full hash, so each name's is computed anew.
    for (const NameSlot& slot : old) {
        if (slot.tag == 0) continue;
        const std::string& name = nodes_[slot.first].name;
        names_[FindSlot(name, MixedHash(name))] = slot;
    }
}

CHashNode* CHashTable::GetHashNode(std::string_view name) const {
    if (names_.empty()) return nullptr;
    const NameSlot& slot = names_[FindSlot(name, MixedHash(name))];
    return slot.tag == 0 ? nullptr : const_cast<CHashNode*>(&nodes_[slot.first]);
}

CHashNode* CHashTable::GetHashNode(std::string_view name, int32_t type) const {
    return GetHashNode(name, type, MixedHash(name));
}

CHashNode* CHashTable::GetHashNode(std::string_view name, int32_t type, uint64_t hash) const {
    if (names_.empty()) return nullptr;
    const NameSlot& slot = names_[FindSlot(name, hash)];
    if (slot.tag == 0) return nullptr;
    for (CHashNode* node = const_cast<CHashNode*>(&nodes_[slot.first]); node; node = node->same_name)
        if (node->type == type) return node;
    return nullptr;
}

void CHashTable::PrefetchSlot(uint64_t hash) const {
    if (!names_.empty()) __builtin_prefetch(&names_[hash & (names_.size() - 1)]);
}

void CHashTable::PrefetchNode(uint64_t hash) const {
    if (names_.empty()) return;
    const NameSlot& slot = names_[hash & (names_.size() - 1)];
    // Only the first slot probed: a name further along is rare at half load.
    if (slot.tag != SlotTag(hash)) return;
    // The name (with its bytes, when short) and the counts a look-up's caller
    // goes on to read or change: the whole node, which may touch three lines.
    const char* node = reinterpret_cast<const char*>(&nodes_[slot.first]);
    for (size_t at = 0; at < sizeof(CHashNode); at += 64) __builtin_prefetch(node + at);
    __builtin_prefetch(node + sizeof(CHashNode) - 1);
}

CHashNode* CHashTable::GetOrAdd(std::string_view name, int32_t type, bool* created) {
    return GetOrAdd(name, type, MixedHash(name), created);
}

CHashNode* CHashTable::GetOrAdd(std::string_view name, int32_t type, uint64_t hash, bool* created) {
    if (bucket_count_ == 0) bucket_count_ = kDefaultBucketCount;
    // At most half the slots in use keeps the probes short.
    if ((names_used_ + 1) * 2 > names_.size()) GrowNameIndex();
    NameSlot& slot = names_[FindSlot(name, hash)];
    CHashNode* first = slot.tag == 0 ? nullptr : &nodes_[slot.first];
    CHashNode** link = &first;
    for (; *link; link = &(*link)->same_name) {
        if ((*link)->type == type) {
            if (created) *created = false;
            return *link;
        }
    }
    CHashNode* node = &nodes_.emplace_back(name, type);
    if (slot.tag == 0) {
        slot.tag = SlotTag(hash);
        slot.first = static_cast<uint32_t>(nodes_.size() - 1);
        ++names_used_;
    } else {
        *link = node;
    }
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
