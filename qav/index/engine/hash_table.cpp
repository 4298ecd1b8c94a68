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
    chains_.clear();
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

uint64_t CHashTable::MixedHash(std::string_view name) {
    const uint64_t h = std::hash<std::string_view>{}(name);
    return h == 0 ? 1 : h;  // 0 marks a free slot
}

size_t CHashTable::FindSlot(std::string_view name, uint64_t hash) const {
    const size_t mask = names_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const NameSlot& slot = names_[at];
        if (slot.hash == 0 || (slot.hash == hash && slot.first->name == name)) return at;
    }
}

void CHashTable::GrowNameIndex() {
    std::vector<NameSlot> old(std::max(names_.size() * 2, kFirstNameSlots));
    old.swap(names_);
    for (const NameSlot& slot : old)
        if (slot.hash != 0) names_[FindSlot(slot.first->name, slot.hash)] = slot;
}

CHashNode* CHashTable::GetHashNode(std::string_view name) const {
    if (names_.empty()) return nullptr;
    return names_[FindSlot(name, MixedHash(name))].first;
}

CHashNode* CHashTable::GetHashNode(std::string_view name, int32_t type) const {
    for (CHashNode* node = GetHashNode(name); node; node = node->same_name)
        if (node->type == type) return node;
    return nullptr;
}

CHashNode* CHashTable::GetOrAdd(std::string_view name, int32_t type, bool* created) {
    if (bucket_count_ == 0) bucket_count_ = kDefaultBucketCount;
    // At most half the slots in use keeps the probes short.
    if ((names_used_ + 1) * 2 > names_.size()) GrowNameIndex();
    const uint64_t hash = MixedHash(name);
    NameSlot& slot = names_[FindSlot(name, hash)];
    CHashNode** link = &slot.first;
    for (; *link; link = &(*link)->same_name) {
        if ((*link)->type == type) {
            if (created) *created = false;
            return *link;
        }
    }
    CHashNode* node = &nodes_.emplace_back(name, type);
    if (slot.hash == 0) {
        slot.hash = hash;
        ++names_used_;
    }
    *link = node;
    Chain& chain = chains_[HashVal(name)];
    (chain.tail ? chain.tail->next : chain.head) = node;
    chain.tail = node;
    if (created) *created = true;
    return node;
}

CHashNode* CHashTable::bucket(uint32_t index) const {
    const auto chain = chains_.find(index);
    return chain == chains_.end() ? nullptr : chain->second.head;
}

std::vector<uint32_t> CHashTable::UsedBuckets() const {
    std::vector<uint32_t> used;
    used.reserve(chains_.size());
    for (const auto& entry : chains_) used.push_back(entry.first);
    std::sort(used.begin(), used.end());
    return used;
}

}  // namespace qav
