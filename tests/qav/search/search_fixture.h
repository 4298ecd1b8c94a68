// Small in-memory word lists and corpora for the query-side tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qav/index/engine/qav_engine.h"
#include "qav/index/format/word_list.h"
#include "qav/index/format/record_compare.h"
#include "support/test_support.h"

namespace searchtest {

// A word list whose identifiers follow the order of the given UTF-8 texts.
inline qav::CWordList MakeWordList(const std::vector<std::string>& utf8Words) {
    qav::CWordList list;
    for (size_t i = 0; i < utf8Words.size(); ++i) {
        qav::CWord word;
        word.text = qztest::Gbk(utf8Words[i]);
        word.id = static_cast<int32_t>(i);
        word.type = 7;
        list.words_by_id.push_back(word);
    }
    list.words = list.words_by_id;
    std::sort(list.words.begin(), list.words.end(),
              [](const qav::CWord& a, const qav::CWord& b) { return a.text < b.text; });
    return list;
}

// Adds to engine a data file of length words: the 512-word header, then fill
// everywhere else. Returns the words, for the test to place its own.
inline uint32_t* AddDataFile(qav::CQAVEngine& engine, uint32_t length, uint32_t fill = 0) {
    auto words = std::make_unique<uint32_t[]>(length);
    for (uint32_t i = 0; i < length; ++i) words[i] = i < 512 ? 0xFFFFFFFFu : fill;
    engine.m_corpus.push_back(std::move(words));
    engine.m_corpusLength.push_back(length);
    return engine.m_corpus.back().get();
}

inline uint32_t IdOf(const qav::CWordList& list, const std::string& utf8) {
    return static_cast<uint32_t>(list.Word2No(qztest::Gbk(utf8)));
}

// An offset record of 8 or 9 bytes.
inline std::vector<unsigned char> Record(uint32_t position, int16_t index, uint8_t fileNo, uint8_t clause = 0,
                                         int width = 8, uint8_t span = 0) {
    std::vector<unsigned char> r(static_cast<size_t>(width));
    for (int b = 0; b < 4; ++b) r[b] = static_cast<unsigned char>(position >> (8 * b));
    r[4] = static_cast<unsigned char>(static_cast<uint16_t>(index) & 0xFF);
    r[5] = static_cast<unsigned char>(static_cast<uint16_t>(index) >> 8);
    r[6] = fileNo;
    r[7] = clause;
    if (width == 9) r[8] = span;
    return r;
}

// A comparison context over corpus arrays held by the caller.
inline qav::RecordCompareContext MakeContext(const std::vector<std::vector<uint32_t>>& corpus, const qav::CWordList& words,
                                        int language, int width) {
    qav::RecordCompareContext ctx;
    for (const auto& file : corpus) ctx.files.push_back({file.data(), static_cast<uint32_t>(file.size())});
    ctx.wordList = &words;
    ctx.language = language;
    ctx.sortCompWordLen = width;
    return ctx;
}
// The context points into the corpus, which must outlive it.
qav::RecordCompareContext MakeContext(std::vector<std::vector<uint32_t>>&& corpus, const qav::CWordList& words, int language,
                                 int width) = delete;

}  // namespace searchtest
