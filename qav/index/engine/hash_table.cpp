#include "qav/index/engine/hash_table.h"

namespace qav {

void CHashTable::Reset(uint32_t bucketCount) {
    unit_list.clear();
    nodes_.clear();
    next_id = 0;
    buckets_.assign(bucketCount ? bucketCount : kDefaultBucketCount, nullptr);
}

uint32_t CHashTable::HashText(std::string_view text) {
    uint32_t h = 0;
    for (unsigned char byte : text) h = h * 64 + byte;
    return h;
}

uint32_t CHashTable::HashVal(std::string_view text) const {
    return buckets_.empty() ? 0 : HashText(text) % bucket_count();
}

CHashNode* CHashTable::GetHashNode(std::string_view name) const {
    if (buckets_.empty()) return nullptr;
    for (CHashNode* node = buckets_[HashVal(name)]; node; node = node->next)
        if (node->name == name) return node;
    return nullptr;
}

CHashNode* CHashTable::GetHashNode(std::string_view name, int32_t type) const {
    if (buckets_.empty()) return nullptr;
    for (CHashNode* node = buckets_[HashVal(name)]; node; node = node->next)
        if (node->type == type && node->name == name) return node;
    return nullptr;
}

CHashNode* CHashTable::GetOrAdd(std::string_view name, int32_t type, bool* created) {
    if (buckets_.empty()) buckets_.assign(kDefaultBucketCount, nullptr);
    CHashNode** link = &buckets_[HashVal(name)];
    for (; *link; link = &(*link)->next) {
        CHashNode* node = *link;
        if (node->type == type && node->name == name) {
            if (created) *created = false;
            return node;
        }
    }
    *link = &nodes_.emplace_back(name, type);
    if (created) *created = true;
    return *link;
}

}  // namespace qav
