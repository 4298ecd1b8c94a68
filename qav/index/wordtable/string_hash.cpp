#include "qav/index/wordtable/string_hash.h"

#include <cstring>

#include "qav/index/base/qav_log.h"

namespace qav {

_Hash_Table::~_Hash_Table() { Free_Table(this); }

void New_Table(_Hash_Table* table, int64_t size) {
    Free_Table(table);
    if (size < 1) return;
    table->size = size;
    table->buckets.resize(static_cast<size_t>(size));
    for (_HashNode& sentinel : table->buckets) sentinel.key = kHashHeadKey;
}

_HashNode* New_Node(const char* key, void* data) {
    _HashNode* node = new _HashNode;
    node->key = key;
    node->data = data;
    return node;
}

int Update_Chain(_HashNode* sentinel, const char* key, void* data) {
    _HashNode* prev = sentinel;
    int order = 1;
    while (prev->next && (order = std::strcmp(key, prev->next->key.c_str())) > 0) prev = prev->next;
    if (prev->next && order == 0) {
        prev->next->data = data;
        return 1;
    }
    _HashNode* node = New_Node(key, data);
    node->next = prev->next;
    prev->next = node;
    return 0;
}

bool Lookup_Chain(const _HashNode* sentinel, const char* key, void** data) {
    for (const _HashNode* node = sentinel->next; node; node = node->next) {
        int order = std::strcmp(key, node->key.c_str());
        if (order > 0) continue;
        if (order < 0) return false;
        if (data) *data = node->data;
        return true;
    }
    return false;
}

bool Update_Table(_Hash_Table* table, const char* key, void* data) {
    int64_t bucket = HashValue(key, table->size);
    if (bucket < 0 || bucket >= static_cast<int64_t>(table->buckets.size())) {
        QavLog("Warning: invalid hash address.\n");
        QavLog("%s ignored\n", key);
        return false;
    }
    Update_Chain(&table->buckets[static_cast<size_t>(bucket)], key, data);
    return true;
}

bool Lookup_Table(const _Hash_Table* table, const char* key, void** data) {
    int64_t bucket = HashValue(key, table->size);
    if (bucket < 0 || bucket >= static_cast<int64_t>(table->buckets.size())) return false;
    return Lookup_Chain(&table->buckets[static_cast<size_t>(bucket)], key, data);
}

void Free_Table(_Hash_Table* table) {
    for (_HashNode& sentinel : table->buckets) {
        _HashNode* node = sentinel.next;
        while (node) {
            _HashNode* next = node->next;
            delete node;
            node = next;
        }
    }
    table->buckets.clear();
    table->buckets.shrink_to_fit();
    table->size = 0;
}

int64_t HashValue(const char* text, int64_t size) {
    if (size < 1) return -1;
    uint32_t h = 0;
    for (const char* p = text; *p; ++p) {
        uint32_t b = static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
        h = static_cast<uint32_t>(static_cast<int64_t>(static_cast<uint32_t>(h * 64u + b)) % size);
    }
    return h;
}

}  // namespace qav
