// A tiny corpus with atom results over it and a search stand-in for the joins
// and merges.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qav/search/atom/atom_ret.h"
#include "qav/search/merge/merge_env.h"
#include "qav/search/merge/merge_run.h"
#include "qav/search/merge/qav_ret.h"
#include "qav/search/search_fixture.h"

namespace mergetest {

// Data files of kWords words, every place a real word of the given byte
// lengths' word list; sentences start at kSentence + 10 * i.
constexpr uint32_t kWords = 200000;
constexpr uint32_t kSentence = 520;
inline uint32_t Sentence(int i) { return kSentence + 10 * static_cast<uint32_t>(i); }

class MergeCorpus {
public:
    explicit MergeCorpus(int files = 2, int language = qav::kLanguageChinese)
        : words(searchtest::MakeWordList({"我", "上海", "的"})) {
        for (int f = 0; f < files; ++f) corpus.emplace_back(kWords, 0u);
        // Header positions hold no word.
        for (auto& file : corpus)
            for (uint32_t i = 0; i < 512; ++i) file[i] = 0xFFFFFFFFu;
        ctx = searchtest::MakeContext(corpus, words, language, 10);
    }

    qav::CWordList words;
    std::vector<std::vector<uint32_t>> corpus;
    qav::RecordCompareContext ctx;
};

// An atom result of 8-byte records: a kind-4 query with an empty pattern, so
// that a record at word index p makes the one-word hit starting at p.
struct Rec {
    uint32_t position;
    int16_t index;
    uint8_t file = 0;
    uint8_t clause = 0;
};

class AtomResult {
public:
    explicit AtomResult(const std::vector<Rec>& recs, qav::UnitType kind = qav::UNIT_POS_R) {
        for (const Rec& r : recs) {
            auto bytes = searchtest::Record(r.position, r.index, r.file, r.clause, 8);
            buffer.insert(buffer.end(), bytes.begin(), bytes.end());
        }
        result.AtomRetInit(4);
        result.Take();
        result.m_Query.type = kind;
        result.m_Query.waves = {{0, 0}, {0, 1}, {0, 2}, {0, 3}};
        if (!recs.empty()) result.AddSegment(buffer.data(), 0, static_cast<int32_t>(recs.size()), 8);
    }

    std::vector<unsigned char> buffer;
    qav::CAtomRet result;
};

// The search a join or merge runs in, with every test made visible.
class FakeEnv : public qav::MergeEnv {
public:
    explicit FakeEnv(const qav::RecordCompareContext& corpus) : m_corpus(corpus) {}

    const qav::RecordCompareContext& Corpus() const override { return m_corpus; }
    bool IsInLimit(uint8_t fileNo, uint32_t position, bool) override {
        return excluded.count({fileNo, position}) == 0;
    }
    bool IsOk(const qav::CRetInfo& hit) override { return !rejectAll && rejectedStarts.count(hit.start) == 0; }
    bool GetDocument(uint8_t fileNo, uint32_t position, uint32_t& doc) override {
        auto found = documents.find({fileNo, position});
        if (found == documents.end()) return false;
        doc = found->second;
        return true;
    }
    void SetApproximate() override { approximate = true; }

    std::set<std::pair<uint8_t, uint32_t>> excluded;
    std::map<std::pair<uint8_t, uint32_t>, uint32_t> documents;
    std::set<int> rejectedStarts;
    bool rejectAll = false;
    bool approximate = false;

private:
    const qav::RecordCompareContext& m_corpus;
};

// (file, sentence, start, length) of each hit, in order.
using HitTuple = std::tuple<int, uint32_t, int, int>;
inline std::vector<HitTuple> Hits(const qav::CQAVRet& ret) {
    std::vector<HitTuple> hits;
    for (int i = 0; i < ret.m_nCount; ++i) {
        const qav::CRetInfo& h = ret.m_Hits[static_cast<size_t>(i)];
        hits.emplace_back(h.file_no, h.position, h.start, h.length);
    }
    return hits;
}

// The pairs of a join of list with probe (list the left side or the right)
// as the join finds them, and as it finds them walking all of list's records,
// which it does for a search marked incomplete: the shortcuts a complete
// search allows must give the walk's pairs in the walk's order.
inline std::pair<std::vector<HitTuple>, std::vector<HitTuple>> JoinWithAndWithoutShortcuts(
    qav::CForMerge& area, qav::MergeEnv& env, AtomResult& list, const qav::MergeSide& probe, bool listLeft,
    int code) {
    std::vector<HitTuple> joined[2];
    const qav::MergeSide listSide = qav::MergeSide::Atom(list.result);
    for (int walk = 0; walk < 2; ++walk) {
        list.result.m_bApproximate = static_cast<uint8_t>(walk);
        qav::CQAVRet out;
        if (!out.QAVRetInit(100000)) break;
        qav::MergeRun(area, env).Join(listLeft ? listSide : probe, listLeft ? probe : listSide, out, code);
        joined[walk] = Hits(out);
    }
    list.result.m_bApproximate = 0;
    return {joined[0], joined[1]};
}

}  // namespace mergetest
