#include "qav/index/build/add_word.h"

namespace qav {

CHashNode* AddWord(CHashTable& table, std::string_view text, uint32_t count, int32_t type) {
    return AddWord(table, text, count, type, CHashTable::NameHash(text));
}

CHashNode* AddWord(CHashTable& table, std::string_view text, uint32_t count, int32_t type, uint64_t hash) {
    bool created = false;
    CHashNode* node = table.GetOrAdd(text, type, hash, &created);
    if (created) node->id = table.next_id++;
    node->count += count;
    return node;
}

}  // namespace qav
