// The temporary structured engine that holds an index's data files while
// its offset records are sorted. It is g_pCQAVEngine for its lifetime, so
// that code reading the engine (its language, its data) sees the index being
// built; the engine that was there before comes back when it ends.
#pragma once

#include <string>

#include "qav/index/engine/qav_engine.h"
#include "qav/index/format/record_compare.h"

class SortingEngine {
public:
    SortingEngine();
    ~SortingEngine();
    SortingEngine(const SortingEngine&) = delete;
    SortingEngine& operator=(const SortingEngine&) = delete;

    // Loads the data files dataPrefix + "_%d.dat" and lends the engine the
    // builder's word list and language; false when no data file loads.
    bool Load(const std::string& dataPrefix, const CWordList& wordList, int language);
    // What the comparators read, with contextWords words of context.
    RecordCompareContext Corpus(int contextWords) const;

private:
    CQAVEngine engine_;
    CQAVEngine* previous_;
};
