// Preloading, at engine start-up, the records of the units named in the
// configuration's "Cache" lists.
#include <string>

#include "qav/index/engine/qav_engine.h"
#include "qav/index/engine/unit_records.h"

namespace qav {

namespace {

struct CacheKind {
    const char* kind;
    StrSet CCache::*names;
    const char* prefix;  // unit key = prefix + name + suffix
    const char* suffix;
};

constexpr CacheKind kCacheKinds[] = {
    {"|POS", &CCache::POS_R, "|", ""}, {"POS|", &CCache::POS_L, "", "|"}, {"<HZ", &CCache::HZ_R, "<", ""},
    {"HZ>", &CCache::HZ_L, "", ">"},   {"$ML", &CCache::ML, "$", ""},     {"MR@", &CCache::MR, "", "@"},
};

// Unit keys are shorter than 2,048 bytes; a longer one names no unit.
constexpr size_t kMaxKeyBytes = 2047;

}  // namespace

bool CQAVEngine::LoadCache(const std::string& kind) {
    const CacheKind* form = nullptr;
    for (const CacheKind& candidate : kCacheKinds)
        if (kind == candidate.kind) form = &candidate;
    if (!form) return false;

    for (const std::string& name : m_config.m_Cache.*form->names) {
        const std::string key = form->prefix + name + form->suffix;
        if (key.size() > kMaxKeyBytes) continue;
        CHashNode* unit = FindSearchUnit(m_unitTable, key);
        if (!unit) continue;
        for (CHashNode* child : unit->children) {
            if (child && !LoadUnitRecords(*this, *child)) return false;
        }
    }
    return true;
}

}  // namespace qav
