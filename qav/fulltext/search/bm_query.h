// The terms of a ranked query and the candidate (document, field) records
// they collect.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/index/base/config.h"

namespace qav {

using TermCounts = std::map<std::string, int32_t>;
using TermFields = std::map<std::string, std::set<int32_t>>;

// Splits a query text at tabs, line feeds and blanks into "word" or
// "word/tag" tokens and counts the words that are neither numbers (when
// dropNumbers), stop words nor stop-tagged. A tag that names a field limits
// the word to that field; any other token allows every field.
void CountQueryEx(const std::string& text, const std::vector<std::string>& fieldNames, const StrSet& stopWords,
                  const StrSet& stopTags, bool dropNumbers, TermCounts* counts, TermFields* fields);

class CBMQuery {
public:
    // Looks the terms up in the engine's term table, loads their postings
    // and orders the items by df, larger first. False when no term is known.
    bool QueryTerm2Doc(const TermCounts& counts, const TermFields& fields);
    void clear() { m_Items.clear(); }

    struct Item {
        const bm::CHashNodeBM* node;
        int32_t qtf;
        BMRecordBuffer postings;  // held for the whole search
    };
    std::vector<Item> m_Items;
    TermFields m_Fields;
};

// One candidate: a (document, field) record holding a query term.
struct CBMOneDoc {
    BMRecordBuffer terms;  // the field record's document-to-term entries
    float score = 0;
    uint32_t dl = 0;
    int64_t fieldKey = 0;  // shard << 32 | term-list offset
    int64_t docKey = 0;    // shard << 32 | document offset
    int32_t field = 0;
};

class CBMCandidatesDoc {
public:
    // False when the list already holds limit candidates.
    bool Add(const CBMOneDoc& candidate, int32_t limit);
    void clear() {
        m_vBMCandidateDoc.clear();
        m_Merged.clear();
    }

    std::vector<CBMOneDoc> m_vBMCandidateDoc;
    std::vector<CBMOneDoc> m_Merged;
};

// Term frequency of termNumber in a document-to-term record, or 0.
uint32_t TermFreq(const std::vector<unsigned char>& record, uint32_t termNumber);

// One term's BM25 contribution, in single precision.
float ScoreTerm(uint32_t documents, uint32_t df, uint32_t tf, uint32_t dl, uint32_t avgdl, int32_t qtf,
                float k1, float b, float k3);

}  // namespace qav
