#include "qav/index/build/sorting_engine.h"

SortingEngine::SortingEngine() : previous_(g_pCQAVEngine) { g_pCQAVEngine = &engine_; }

SortingEngine::~SortingEngine() {
    engine_.ShareDataExit();
    g_pCQAVEngine = previous_;
}

bool SortingEngine::Load(const std::string& dataPrefix, const CWordList& wordList, int language) {
    engine_.m_config.m_Language = language;
    // Borrowed: the builder keeps its list for longer than this engine lives.
    engine_.m_pWordList = std::shared_ptr<CWordList>(std::shared_ptr<CWordList>(), const_cast<CWordList*>(&wordList));
    return engine_.ShareDataInit(dataPrefix);
}

RecordCompareContext SortingEngine::Corpus(int contextWords) const {
    RecordCompareContext corpus;
    for (size_t f = 0; f < engine_.DataFileCount(); ++f)
        corpus.files.push_back({engine_.m_corpus[f].get(), engine_.m_corpusLength[f]});
    corpus.wordList = engine_.m_pWordList.get();
    corpus.language = engine_.m_config.m_Language;
    corpus.sortCompWordLen = contextWords;
    return corpus;
}
