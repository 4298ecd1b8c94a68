#include "zel/rules/tables/hash_table.h"

#include <cstdio>
#include <cstring>

#include "zel/lattice/kv_table.h"

namespace zel {
namespace {

// The bucket's number; -1 when the table has no buckets.
long BucketOf(const _Hash_Table& table, const char* key) {
    return table.heads.empty() ? -1 : static_cast<long>(KVHash(key) % table.heads.size());
}

}  // namespace

void New_Table(_Hash_Table& table, int n) {
    table.heads.clear();
    table.heads.resize(n > 0 ? static_cast<size_t>(n) : 0);
    for (_HashNode& head : table.heads) head.key = "HEAD_NODE";
}

std::unique_ptr<_HashNode> New_Node(const char* key, void* value) {
    auto node = std::make_unique<_HashNode>();
    node->key = key;
    node->value = value;
    return node;
}

int Update_Chain(_HashNode& head, const char* key, void* value) {
    _HashNode* before = &head;
    while (before->next && std::strcmp(before->next->key.c_str(), key) < 0) before = before->next.get();
    if (before->next && before->next->key == key) {
        before->next->value = value;
        return 1;
    }
    std::unique_ptr<_HashNode> node = New_Node(key, value);
    node->next = std::move(before->next);
    before->next = std::move(node);
    return 0;
}

int Update_Table(_Hash_Table& table, const char* key, void* value) {
    long bucket = BucketOf(table, key);
    if (bucket < 0) {
        std::printf("Warning: invalid hash address.\n%s ignored\n", key);
        return -1;
    }
    return Update_Chain(table.heads[static_cast<size_t>(bucket)], key, value);
}

bool Lookup_Chain(const _HashNode& head, const char* key, void*& value) {
    for (const _HashNode* node = head.next.get(); node; node = node->next.get()) {
        int order = std::strcmp(node->key.c_str(), key);
        if (order > 0) return false;
        if (order == 0) {
            value = node->value;
            return true;
        }
    }
    return false;
}

bool Lookup_Table(const _Hash_Table& table, const char* key, void*& value) {
    long bucket = BucketOf(table, key);
    return bucket >= 0 && Lookup_Chain(table.heads[static_cast<size_t>(bucket)], key, value);
}

void Free_Table(_Hash_Table& table) {
    // Chains are unlinked node by node, so a long chain cannot exhaust the
    // stack through nested destructors.
    for (_HashNode& head : table.heads) {
        std::unique_ptr<_HashNode> node = std::move(head.next);
        while (node) node = std::move(node->next);
    }
    table.heads.clear();
}

}  // namespace zel
