// Ranked search over a full-text index through the library's C++ interface,
// for the Xapian comparison and the full-text benchmark (the exported
// functions do not reach the full-text search):
//   fulltext_ranking CONFIG INDEX_DIR QUERIES [REPEAT]
// QUERIES holds one query text (GBK, words separated by blanks) per line.
// For each query it prints "Q i", then "D name score" for the ten best
// documents, best first; then each query runs REPEAT more times (default 0)
// and "LATENCY median p95 ms" gives the time of one ranked search.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "qav/fulltext/search/bm_search.h"

namespace {

constexpr int32_t kBest = 10;

double Percentile(const std::vector<double>& sorted, double share) {
    const size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::max<size_t>(rank, 1) - 1];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s CONFIG INDEX_DIR QUERIES [REPEAT]\n", argv[0]);
        return 2;
    }
    const int repeat = argc > 4 ? std::atoi(argv[4]) : 0;
    std::vector<std::string> queries;
    std::ifstream lines(argv[3]);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) queries.push_back(line);

    qav::g_nEngineType = qav::kEngineFullText;
    qav::CBMEngine engine;
    if (!engine.BMEngineInit(argv[1], argv[2])) {
        std::fprintf(stderr, "the full-text index %s does not load\n", argv[2]);
        return 1;
    }
    qav::g_pBMEngine = &engine;
    std::map<int64_t, std::string> names;
    for (const auto& [name, key] : engine.m_PidIdx) names[key] = name;

    qav::CBMSearch search;
    search.BMSearchInit();
    for (size_t q = 0; q < queries.size(); ++q) {
        std::printf("Q %zu\n", q);
        // The scores come from the steps of a ranked search, the order from
        // the search itself, which keeps only the documents.
        std::map<int64_t, float> scores;
        if (search.CountAndLookUp(queries[q])) {
            search.GetCandidateDoc(0);
            search.CalCandidateDoc(0);
            search.MergeCandidateDoc();
            for (const qav::CBMOneDoc& doc : search.m_BMDoc.m_Merged) scores[doc.docKey] = doc.score;
            search.m_BMDoc.clear();
        }
        qav::CBMRet* best = search.BM25(queries[q], kBest, 0);
        for (int32_t i = 0; best && i < best->m_nDocNum; ++i) {
            const int64_t key = qav::bm::DocKey((*best)[i].shard, (*best)[i].docOffset);
            std::printf("D %s %.6f\n", names[key].c_str(), static_cast<double>(scores[key]));
        }
        if (best) best->Clear();
    }
    std::vector<double> times;
    for (int r = 0; r < repeat; ++r)
        for (const std::string& query : queries) {
            const auto start = std::chrono::steady_clock::now();
            if (qav::CBMRet* best = search.BM25(query, kBest, 0)) best->Clear();
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        std::printf("LATENCY %.4f %.4f ms\n", Percentile(times, 0.5), Percentile(times, 0.95));
    }
    search.BMSearchExit();
    qav::g_pBMEngine = nullptr;
    return 0;
}
