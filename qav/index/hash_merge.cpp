#include "qav/index/hash_merge.h"

#include "qav/index/add_word.h"

namespace {

// The table's nodes indexed by identifier; nodes without one come last in walk order.
std::vector<const CHashNode*> NodesById(const CHashTable& table) {
    std::vector<const CHashNode*> byId(table.next_id > 0 ? static_cast<size_t>(table.next_id) : 0, nullptr);
    std::vector<const CHashNode*> unnumbered;
    table.ForEachNode([&](const CHashNode& node) {
        if (node.id >= 0 && static_cast<size_t>(node.id) < byId.size())
            byId[node.id] = &node;
        else
            unnumbered.push_back(&node);
    });
    byId.insert(byId.end(), unnumbered.begin(), unnumbered.end());
    return byId;
}

}  // namespace

void MergeHash(CHashTable& into, const std::vector<std::unique_ptr<CHashTable>>& tables) {
    for (const std::unique_ptr<CHashTable>& table : tables) {
        if (!table) continue;
        for (const CHashNode* node : NodesById(*table))
            if (node) AddWord(into, node->name, node->count, node->type);
    }
}
