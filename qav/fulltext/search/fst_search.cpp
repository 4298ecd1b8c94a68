#include "qav/fulltext/search/fst_search.h"

#include <ctime>

#include "qav/index/base/qav_log.h"

namespace qav {

namespace {
constexpr uint32_t kDefaultReserve = 102400;
constexpr uint32_t kFinal = 0x01;
constexpr uint32_t kLast = 0x02;
constexpr uint32_t kTargetBelow = 0x04;
constexpr uint32_t kLeaf = 0x08;
constexpr uint32_t kOutput = 0x10;
constexpr uint32_t kFinalOutput = 0x20;
constexpr uint32_t kWideOutput = 0x40;
constexpr uint32_t kWideFinalOutput = 0x80;
}  // namespace

bool FSTSearch::FSTSearchInit(uint32_t reserve) {
    m_nReserve = reserve == 0 ? kDefaultReserve : reserve;
    m_Values.reserve(kMaxValues);
    m_ListA.reserve(m_nReserve);
    m_ListB.reserve(m_nReserve);
    return true;
}

void FSTSearch::FSTSearchExit() {
    std::vector<uint64_t>().swap(m_Values);
    std::vector<std::pair<uint32_t, int64_t>>().swap(m_ListA);
    std::vector<std::pair<uint32_t, int64_t>>().swap(m_ListB);
    m_nReserve = 0;
}

bool FSTSearch::Unserialize(const FSTIndex& fst, uint32_t p, Edge* edge) {
    *edge = Edge();
    if (p < 2 || p >= fst.m_nByteLength) return false;
    const uint32_t flags = fst.m_pnBytes[p];
    edge->label = static_cast<uint8_t>(fst.m_pnBytes[p - 1]);
    edge->final = flags & kFinal;
    edge->leaf = flags & kLeaf;
    edge->last = flags & kLast;
    int64_t q = static_cast<int64_t>(p) - 2;
    auto take = [&](bool wide, uint64_t* value) {
        if (q < static_cast<int64_t>(wide ? 1 : 0)) return false;
        *value = fst.m_pnBytes[static_cast<size_t>(q--)];
        if (wide) *value |= static_cast<uint64_t>(fst.m_pnBytes[static_cast<size_t>(q--)]) << 32;
        return true;
    };
    if ((flags & kFinalOutput) && !take(flags & kWideFinalOutput, &edge->finalOutput)) return false;
    if ((flags & kOutput) && !take(flags & kWideOutput, &edge->output)) return false;
    if (!(flags & kTargetBelow)) {
        uint64_t target = 0;
        if (!take(false, &target)) return false;
        edge->target = static_cast<uint32_t>(target);
    }
    if (q < 0) q = 0;
    edge->next = static_cast<uint32_t>(q);
    if (flags & kTargetBelow) edge->target = edge->next;
    return true;
}

std::vector<std::pair<uint32_t, int64_t>>* FSTSearch::FreeList() {
    if (m_ListB.empty()) return &m_ListB;
    if (m_ListA.empty()) return &m_ListA;
    return nullptr;
}

void FSTSearch::AddValue(uint64_t value) {
    if (m_Values.size() < kMaxValues) m_Values.push_back(value);
}

bool FSTSearch::GetExactArc(const std::string& name, const FSTIndex& fst) {
    if (fst.m_nByteLength <= 1) return false;
    std::vector<std::pair<uint32_t, int64_t>>* out = FreeList();
    if (!out) return false;
    uint32_t p = fst.m_nByteLength - 1;
    uint64_t sum = 0;
    Edge matched;
    for (size_t i = 0; i < name.size(); ++i) {
        // A name that goes on below a node without arcs is not held.
        if (i > 0 && (matched.leaf || p == 0)) return true;
        const auto byte = static_cast<uint8_t>(name[i]);
        Edge edge;
        for (uint32_t at = p;; at = edge.next) {
            if (!Unserialize(fst, at, &edge)) return false;
            if (edge.label == byte) break;
            if (edge.last) return true;
        }
        sum += edge.output;
        p = edge.target;
        matched = edge;
    }
    if (!name.empty() && matched.final) AddValue(sum + matched.finalOutput);
    if (p != 0 && !(!name.empty() && matched.leaf)) out->emplace_back(p, static_cast<int64_t>(sum));
    return true;
}

bool FSTSearch::GetLayerArcs(std::vector<std::pair<uint32_t, int64_t>>& input, const FSTIndex& fst) {
    std::vector<std::pair<uint32_t, int64_t>>* out = FreeList();
    if (!out || out == &input) return false;
    for (const auto& [node, sum] : input) {
        Edge edge;
        for (uint32_t at = node;; at = edge.next) {
            if (!Unserialize(fst, at, &edge)) return false;
            const uint64_t reached = static_cast<uint64_t>(sum) + edge.output;
            if (edge.final) {
                if (m_Values.size() >= kMaxValues) {
                    input.clear();
                    return true;
                }
                AddValue(reached + edge.finalOutput);
            }
            if (!edge.leaf && edge.target != 0) out->emplace_back(edge.target, static_cast<int64_t>(reached));
            if (edge.last || edge.next == 0) break;
        }
    }
    input.clear();
    return true;
}

bool FSTSearch::GetFSTCandidateDoc(const std::string& names, const FSTIndex& fst) {
    const clock_t start = clock();
    size_t from = 0;
    while (from <= names.size()) {
        const size_t end = std::min(names.find_first_of(" ;,", from), names.size());
        const std::string name = names.substr(from, end - from);
        from = end + 1;
        if (name.empty()) continue;
        if (!GetExactArc(name, fst)) return false;
        bool ok = true;
        while (ok && (!m_ListA.empty() || !m_ListB.empty()))
            ok = GetLayerArcs(m_ListB.empty() ? m_ListA : m_ListB, fst);
        m_ListA.clear();
        m_ListB.clear();
        if (!ok) return false;
    }
    QavLog("GetFSTCandidateDoc Finish: %.6lf\n", static_cast<double>(clock() - start) / CLOCKS_PER_SEC);
    return true;
}

}  // namespace qav
