#include "qav/search/atom/engine_views.h"

#include "qav/index/engine/qav_engine.h"

namespace qav {

RecordCompareContext MakeRecordCompareContext(const CQAVEngine& engine) {
    RecordCompareContext ctx;
    for (size_t i = 0; i < engine.m_corpus.size(); ++i) {
        // An engine whose corpus was filled by hand has no places of no word.
        const NoWordRuns* noWords = i < engine.m_noWords.size() ? &engine.m_noWords[i] : nullptr;
        ctx.files.push_back({engine.m_corpus[i].get(), engine.m_corpusLength[i], noWords});
    }
    ctx.wordList = engine.m_pWordList.get();
    ctx.language = engine.m_config.m_Language;
    ctx.sortCompWordLen = engine.m_config.m_SizeInfo.SortCompWordLen;
    return ctx;
}

AtomQueryEnv MakeAtomQueryEnv(const CQAVEngine* engine) {
    if (!engine) return {};
    return {&engine->m_unitTable, engine->m_pWordList.get(), engine->m_config.m_Language};
}

}  // namespace qav
