// Small chained string hash: each bucket is a sentinel node followed by the
// real nodes in ascending strcmp order of their keys. The table stores
// untyped pointers and never frees what they point to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qav {

struct _HashNode {
    std::string key;  // owned copy of the key
    void* data = nullptr;
    _HashNode* next = nullptr;
};

struct _Hash_Table {
    int64_t size = 0;                // bucket count
    std::vector<_HashNode> buckets;  // the sentinels; chains hang off them

    _Hash_Table() = default;
    ~_Hash_Table();
    _Hash_Table(const _Hash_Table&) = delete;
    _Hash_Table& operator=(const _Hash_Table&) = delete;
};

// Key of every bucket's sentinel node.
constexpr const char* kHashHeadKey = "HEAD_NODE";

// Gives the table `size` empty buckets (after freeing what it held).
void New_Table(_Hash_Table* table, int64_t size);
_HashNode* New_Node(const char* key, void* data);
// 1 when the key was there (its data replaced), 0 when a node was inserted.
int Update_Chain(_HashNode* sentinel, const char* key, void* data);
bool Lookup_Chain(const _HashNode* sentinel, const char* key, void** data);
// Files the key in its bucket; false (with a warning) when the key's bucket is
// outside the table, which is the case for a table without buckets.
bool Update_Table(_Hash_Table* table, const char* key, void* data);
bool Lookup_Table(const _Hash_Table* table, const char* key, void** data);
// Frees every node and the buckets; the table is left without buckets.
void Free_Table(_Hash_Table* table);

// Bucket of a key: h = ((h * 64 + b) mod 2^32) mod size over the key's bytes
// taken as signed. -1 for a size below 1 (no bucket exists).
int64_t HashValue(const char* text, int64_t size);

}  // namespace qav
