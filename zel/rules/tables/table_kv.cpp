#include "zel/rules/tables/table_kv.h"

#include <climits>
#include <cstdio>

#include "zel/lattice/value_text.h"
#include "zel/rules/format/run_switches.h"
#include "zel/rules/format/table_format.h"

namespace zel {
namespace {

// Pair texts of this many bytes or more are not entered on loading.
constexpr size_t kLoadedPairLimit = 65536;

}  // namespace

bool CTableKV::SetTable(const char*, const char* blob, size_t size) {
    starts_.clear();
    postings_.clear();
    TableKVBlob decoded;
    if (!DecodeTableKVBlob(blob, size, decoded)) return false;
    starts_.reserve(decoded.pairs.size());
    for (const auto& [text, start] : decoded.pairs) {
        if (text.size() >= kLoadedPairLimit) {
            if (g_showMsg) std::printf("buffer overflow kv size = %zu\n", text.size());
            continue;
        }
        starts_.emplace(text, static_cast<uint32_t>(start));
    }
    postings_ = std::move(decoded.postings);
    return true;
}

bool CTableKV::GetKV(const char* pair, const uint32_t*& list, int& count) const {
    auto found = pair ? starts_.find(pair) : starts_.end();
    if (found == starts_.end()) return true;
    count = static_cast<int>(postings_[found->second]);
    list = postings_.data() + found->second + 1;
    return true;
}

// Every pair must hold: a pair that no item holds empties the result, and
// the lists are intersected whole, without a cap on their length.
bool CTableKV::GetKV(const char* condition, std::vector<int>& items, int& count) const {
    count = 0;
    if (!condition) return true;
    std::vector<std::string> parts;
    SplitStr(condition, "&", parts);
    if (parts.empty()) return true;
    std::vector<uint32_t> result, next;
    for (size_t k = 0; k < parts.size(); ++k) {
        const uint32_t* list = nullptr;
        int n = 0;
        GetKV(parts[k].c_str(), list, n);
        if (n == 0) return true;
        if (k == 0) {
            result.assign(list, list + n);
            continue;
        }
        int kept = 0;
        And(result.data(), static_cast<int>(result.size()), list, n, next, kept, INT_MAX);
        result.swap(next);
        if (result.empty()) return true;
    }
    if (items.size() < result.size()) items.resize(result.size());
    for (size_t i = 0; i < result.size(); ++i) items[i] = static_cast<int>(result[i]);
    count = static_cast<int>(result.size());
    return true;
}

bool CTableKV::And(const uint32_t* a, int na, const uint32_t* b, int nb, std::vector<uint32_t>& out, int& n,
                   int limit) {
    out.clear();
    n = 0;
    int i = 0, j = 0;
    while (i < na && j < nb && n < limit) {
        if (a[i] == b[j]) {
            out.push_back(a[i]);
            ++n;
            ++i;
            ++j;
        } else if (a[i] < b[j]) {
            ++i;
        } else {
            ++j;
        }
    }
    return true;
}

}  // namespace zel
