// Atom searches of a search object, into its atom slots.
#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/atom/atom_query.h"
#include "qav/search/atom/atom_search.h"
#include "qav/search/atom/engine_views.h"
#include "qav/search/qav_search.h"

namespace {

// Unit "的_n|" with the pattern "的" (GBK).
constexpr char kBuiltInUnit[] = "\xB5\xC4_n|";
constexpr char kBuiltInPattern[] = "\xB5\xC4";

}  // namespace

CAtomRet* CQAVSearch::AtomSearch(const CAtomSearchQuery& query) {
    CAtomRet* slot = TakeAtomSlot();
    if (!slot) return nullptr;
    if (CQAVEngine* engine = g_pCQAVEngine)
        ::AtomSearch(*engine, query, *slot);
    else
        slot->SetAtomSearchQuery(query);
    return slot;
}

CAtomRet* CQAVSearch::GetAS() {
    CQAVEngine* engine = g_pCQAVEngine;
    if (g_nEngineType != kEngineStructured || !engine) return nullptr;
    CAtomSearchQuery query;
    query.SetAtomSearchQuery(MakeAtomQueryEnv(engine), kBuiltInUnit, kBuiltInPattern, "", "", "", "");
    return AtomSearch(query);
}
