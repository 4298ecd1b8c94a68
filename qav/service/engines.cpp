#include "qav/service/engines.h"

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/merge/sentence_records.h"
#include "qav/search/merge/tag_places.h"

namespace qav {

bool GlobalInit(const std::string& configName, const std::string& indexDir) {
    const int64_t corpusSize = GetCorpusSize(indexDir);
    if (corpusSize > kMaxCorpusBytes) {
        QavLog("Error: corpus size (%lld bytes) exceeds limit (%lld bytes)\n", static_cast<long long>(corpusSize),
               static_cast<long long>(kMaxCorpusBytes));
        return false;
    }
    // An engine left by an earlier start (failed or not) is replaced whole:
    // its configuration lists and tables must not carry into this index.
    delete g_pCQAVEngine;
    g_pCQAVEngine = new CQAVEngine();
    g_nEngineType = kEngineStructured;
    return g_pCQAVEngine->QAVEngineInit(configName, indexDir);
}

void GlobalExit() {
    // The places and filings kept for the joins belong to the index going away.
    DropKeptTagPlaces();
    DropKeptSentenceRecords();
    if (g_nEngineType == kEngineStructured && g_pCQAVEngine) {
        g_pCQAVEngine->QAVEngineExit();
        delete g_pCQAVEngine;
        g_pCQAVEngine = nullptr;
    }
    if (g_nEngineType == kEngineFullText && g_pBMEngine) {
        g_pBMEngine->BMEngineExit();
        delete g_pBMEngine;
        g_pBMEngine = nullptr;
    }
}

}  // namespace qav
