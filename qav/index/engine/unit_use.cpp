// Use counts of unit nodes and the release of loaded offset records.
#include <algorithm>

#include "qav/index/engine/qav_engine.h"

namespace qav {

namespace {

void ChangeUseCount(const std::string& name, int32_t delta) {
    CQAVEngine* engine = g_pCQAVEngine;
    if (!engine) return;
    CHashNode* node = engine->m_unitTable.GetHashNode(name);
    if (!node) return;
    node->use_count += delta;
    const size_t limit = static_cast<size_t>(std::max(0, engine->m_config.m_SizeInfo.MaxAtomSearchRetSize));
    const size_t children = std::min(node->children.size(), limit);
    for (size_t i = 0; i < children; ++i) {
        if (CHashNode* child = node->children[i]) child->use_count += delta;
    }
}

}  // namespace

void InsertCurrentSearch(const std::string& name) { ChangeUseCount(name, 1); }

void EraseCurrentSearch(const std::string& name) { ChangeUseCount(name, -1); }

void FreeMem() {
    CQAVEngine* engine = g_pCQAVEngine;
    if (!engine || engine->m_unitTable.unit_list.empty()) return;
    const int64_t limit = engine->m_config.m_SizeInfo.ToFreeMemCount;
    int64_t freed = 0;
    for (CHashNode* node : engine->m_unitTable.unit_list) {
        if (!node->records() || node->use_count > 0) continue;
        {
            std::lock_guard<std::mutex> lock(NodeLoadMutex(node));
            // A search may have taken the unit since the first look.
            if (node->records() && node->use_count == 0 && engine->m_loadedRecords > int64_t{node->count}) {
                node->FreeRecords();
                engine->m_loadedRecords -= node->count;
                freed += node->count;
            }
        }
        if (engine->m_loadedRecords <= 0 || freed > limit) break;
    }
}

}  // namespace qav
