#include "qav/index/build/add_word.h"

namespace qav {

CHashNode* AddWord(CHashTable& table, std::string_view text, uint32_t count, int32_t type) {
    bool created = false;
    CHashNode* node = table.GetOrAdd(text, type, &created);
    if (created) node->id = table.next_id++;
    node->count += count;
    return node;
}

}  // namespace qav
