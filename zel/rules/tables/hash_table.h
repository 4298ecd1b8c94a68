// _Hash_Table: the cluster's chained string hash from names to loaded
// objects. Each bucket starts with a "HEAD_NODE" sentinel; the nodes after it
// are kept in ascending byte order of their keys, so a search stops at the
// first greater key.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zel {

struct _HashNode {
    std::string key;
    void* value = nullptr;
    std::unique_ptr<_HashNode> next;
};

struct _Hash_Table {
    std::vector<_HashNode> heads;
    int size() const { return static_cast<int>(heads.size()); }
};

void New_Table(_Hash_Table& table, int n);
std::unique_ptr<_HashNode> New_Node(const char* key, void* value);
// 1 when an equal key's value was replaced, 0 when a node was inserted, -1
// when the table has no bucket for the key (a warning is printed).
int Update_Table(_Hash_Table& table, const char* key, void* value);
int Update_Chain(_HashNode& head, const char* key, void* value);
bool Lookup_Table(const _Hash_Table& table, const char* key, void*& value);
bool Lookup_Chain(const _HashNode& head, const char* key, void*& value);
void Free_Table(_Hash_Table& table);

}  // namespace zel
