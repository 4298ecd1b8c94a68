#include "qav/fulltext/search/bm_query.h"

#include <algorithm>
#include <cmath>

#include "common/platform/byte_codec.h"

namespace qav {

namespace {
constexpr size_t kMaxTokenBytes = 2047;
}  // namespace

void CountQueryEx(const std::string& text, const std::vector<std::string>& fieldNames, const StrSet& stopWords,
                  const StrSet& stopTags, bool dropNumbers, TermCounts* counts, TermFields* fields) {
    size_t start = 0;
    const std::string body = text.substr(0, text.find('\0'));
    while (start < body.size()) {
        const size_t end = std::min(body.find_first_of("\t\n ", start), body.size());
        const std::string token = body.substr(start, std::min(end - start, kMaxTokenBytes));
        start = end + 1;
        if (token.empty()) continue;
        const size_t slash = token.rfind('/');
        const std::string word = slash == std::string::npos ? token : token.substr(0, slash);
        const std::string tag = slash == std::string::npos ? "" : token.substr(slash + 1);
        if (dropNumbers && word.find_first_not_of("0123456789.") == std::string::npos) continue;
        if (stopWords.count(word) || stopTags.count(tag)) continue;
        if (word.empty()) continue;
        ++(*counts)[word];
        std::set<int32_t>& allowed = (*fields)[word];
        const auto named = std::find(fieldNames.begin(), fieldNames.end(), tag);
        if (slash != std::string::npos && named != fieldNames.end()) {
            allowed.insert(static_cast<int32_t>(named - fieldNames.begin()));
        } else {
            for (size_t f = 0; f < fieldNames.size(); ++f) allowed.insert(static_cast<int32_t>(f));
        }
    }
}

bool CBMQuery::QueryTerm2Doc(const TermCounts& counts, const TermFields& fields) {
    m_Items.clear();
    for (const auto& [term, qtf] : counts) {
        const bm::CHashNodeBM* node = g_pBMEngine->m_pHashTable->GetHashNode(term);
        if (node) m_Items.push_back({node, qtf, g_pBMEngine->GetTerm2DocBuffer(*node)});
    }
    if (m_Items.empty()) return false;
    std::stable_sort(m_Items.begin(), m_Items.end(),
                     [](const Item& a, const Item& b) { return a.node->df > b.node->df; });
    m_Fields = fields;
    return true;
}

bool CBMCandidatesDoc::Add(const CBMOneDoc& candidate, int32_t limit) {
    if (m_vBMCandidateDoc.size() >= static_cast<size_t>(std::max(limit, 0))) return false;
    m_vBMCandidateDoc.push_back(candidate);
    return true;
}

uint32_t TermFreq(const std::vector<unsigned char>& record, uint32_t termNumber) {
    if (record.size() < 4) return 0;
    const size_t k = std::min<size_t>(qz::bytes::Load<uint32_t>(record.data()), (record.size() - 4) / 5);
    size_t low = 0;
    size_t high = k;
    while (low < high) {
        const size_t mid = (low + high) / 2;
        const unsigned char* entry = record.data() + 4 + 5 * mid;
        const uint32_t number = qz::bytes::Load<uint32_t>(entry) >> 4;
        if (number == termNumber) return (qz::bytes::Load<uint32_t>(entry) & 0xF) * 256 + entry[4];
        if (number < termNumber) low = mid + 1;
        else high = mid;
    }
    return 0;
}

float ScoreTerm(uint32_t documents, uint32_t df, uint32_t tf, uint32_t dl, uint32_t avgdl, int32_t qtf,
                float k1, float b, float k3) {
    const int32_t others = static_cast<int32_t>(documents - df);
    const float idf = static_cast<float>(std::log((others + 0.5) / (df + 0.5) + 1));
    // A field that no document has would have no average length; its
    // records are then scored as if of average length 1.
    const float average = static_cast<float>(avgdl == 0 ? 1 : avgdl);
    const float ftf = static_cast<float>(tf);
    const float norm = (1 - b + static_cast<float>(dl) * b / average) * k1 + ftf;
    const float fqtf = static_cast<float>(qtf);
    return idf * (ftf * (k1 + 1) / norm) * (fqtf * (k3 + 1) / (fqtf + k3));
}

}  // namespace qav
