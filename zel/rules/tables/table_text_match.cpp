// Table words in a plain GBK text: at its start, at its end, and anywhere in
// it. Candidates are cut at two-byte steps and tried from the longest the
// table's length tables allow down to one character.
#include <algorithm>
#include <cstring>

#include "zel/rules/tables/table_functions.h"

namespace zel {
namespace {

// A candidate is built in a 64-byte buffer: at most 31 characters.
constexpr int kMaxCandidateChars = 31;

// The longest candidate at a text of length bytes with bound chars.
int CandidateChars(int bound, size_t length) {
    int k = 2 * static_cast<size_t>(bound) > length ? static_cast<int>(length / 2) : bound;
    return std::min(k, kMaxCandidateChars);
}

// length is at most 2 * kMaxCandidateChars.
bool LookupPiece(CTable* table, const char* text, size_t length, CTableItem*& item) {
    char candidate[2 * kMaxCandidateChars + 2];
    std::memcpy(candidate, text, length);
    candidate[length] = '\0';
    return table->Lookup(candidate, item);
}

void AppendResult(CTableItem& item, std::vector<CTableItemEx>& out) {
    CTableItemEx result;
    result.word = item.key;
    result.value = item.value;
    result.item = &item;
    out.push_back(std::move(result));
}

}  // namespace

bool CTableCluster::IsStrBegin(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out) {
    if (!text || !table) return false;
    size_t length = std::strlen(text);
    CTableItem* item = nullptr;
    for (int l = CandidateChars(table->GetMaxLen_R(text), length); l >= 1; --l) {
        if (!LookupPiece(table, text, 2 * static_cast<size_t>(l), item)) continue;
        AppendResult(*item, out);
        if (static_cast<int>(out.size()) >= n) break;
    }
    return !out.empty();
}

bool CTableCluster::IsStrEnd(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out) {
    if (!text || !table) return false;
    size_t length = std::strlen(text);
    CTableItem* item = nullptr;
    for (int l = CandidateChars(table->GetMaxLen_L(text), length); l >= 1; --l) {
        size_t bytes = 2 * static_cast<size_t>(l);
        if (!LookupPiece(table, text + length - bytes, bytes, item)) continue;
        AppendResult(*item, out);
        if (static_cast<int>(out.size()) >= n) break;
    }
    return !out.empty();
}

bool CTableCluster::MaxMatch_R(const char* text, CTable* table, CTableItem*& item) {
    if (!text || !table) return false;
    size_t length = std::strlen(text);
    for (int l = CandidateChars(table->GetMaxLen_R(text), length); l >= 1; --l) {
        if (LookupPiece(table, text, 2 * static_cast<size_t>(l), item)) return true;
    }
    return false;
}

bool CTableCluster::IsStrMid(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out,
                             std::vector<int>& positions) {
    if (!text || !table) return false;
    size_t length = std::strlen(text);
    CTableItem* item = nullptr;
    for (size_t s = 0; s < length; s += 2) {
        const char* at = text + s;
        for (int l = CandidateChars(table->GetMaxLen_R(at), length - s); l >= 1; --l) {
            if (!LookupPiece(table, at, 2 * static_cast<size_t>(l), item)) continue;
            AppendResult(*item, out);
            positions.push_back(static_cast<int>(s / 2) + l - 1);
            if (static_cast<int>(out.size()) >= n) break;
        }
    }
    return !out.empty();
}

bool CTableCluster::IsStrMid_R2L(const char* text, CTable* table, int n, std::vector<CTableItemEx>& out,
                                 std::vector<int>& positions) {
    out.clear();
    positions.clear();
    if (!text || !table) return false;
    std::string rest = text;
    CTableItem* item = nullptr;
    while (!rest.empty()) {
        size_t length = rest.size();
        size_t cut = 2;
        for (int l = CandidateChars(table->GetMaxLen_L(rest.c_str()), length); l >= 1; --l) {
            size_t bytes = 2 * static_cast<size_t>(l);
            if (!LookupPiece(table, rest.data() + length - bytes, bytes, item)) continue;
            AppendResult(*item, out);
            positions.push_back(static_cast<int>((length - bytes) / 2));
            if (static_cast<int>(out.size()) >= n) {
                cut = bytes;
                break;
            }
        }
        rest.resize(length - std::min(cut, length));
    }
    return !out.empty();
}

bool TableClusterMaxSeg(const char* text, const char* table, std::string& key, std::string& value) {
    key.clear();
    value.clear();
    CTable* found = nullptr;
    CTableItem* item = nullptr;
    if (!g_pTableCluster || !g_pTableCluster->GetTable(table, found)) return false;
    if (!g_pTableCluster->MaxMatch_R(text, found, item)) return false;
    key = item->key;
    value = item->value;
    return true;
}

}  // namespace zel
