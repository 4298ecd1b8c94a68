#include "qav/index/build/sorting_engine.h"

#include "qav/index/format/data_file.h"

namespace qav {

bool SortingEngine::Load(const std::string& dataPrefix, const CWordList& wordList, int language) {
    wordList_ = &wordList;
    language_ = language;
    return LoadDataFiles(dataPrefix, words_, lengths_);
}

RecordCompareContext SortingEngine::Corpus(int contextWords) const {
    RecordCompareContext corpus;
    for (size_t f = 0; f < words_.size(); ++f) corpus.files.push_back({words_[f].get(), lengths_[f]});
    corpus.wordList = wordList_;
    corpus.language = language_;
    corpus.sortCompWordLen = contextWords;
    return corpus;
}

}  // namespace qav
