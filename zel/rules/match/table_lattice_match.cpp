#include "zel/rules/match/table_lattice_match.h"

#include <algorithm>
#include <string>

#include "zel/lattice/lattice.h"

namespace zel {

namespace {

// The sentence up to and including column last, one two-byte character per
// column.
std::string ColumnsUpTo(const CLattice& lattice, int last) {
    return lattice.normSentence.substr(0, std::min(2 * static_cast<size_t>(last + 1), lattice.normSentence.size()));
}

// The longest candidate in characters for a text of length bytes.
int CandidateChars(int bound, size_t length) { return std::min(bound, static_cast<int>(length / 2)); }

// The span first..last as a result, when it is a table word that cuts
// through no unit.
bool TryWord(CLattice& lattice, CTable* table, const std::string& word, int first, int last,
             std::vector<CTableItemEx>& out) {
    CTableItem* item = nullptr;
    if (!table->Lookup(word.c_str(), item)) return false;
    CUnit* covering = nullptr;
    if (!lattice.IsSegment(first, last, covering)) return false;
    CTableItemEx result;
    result.word = item->key;
    result.value = item->value;
    if (covering) result.unitId = covering->Unit;
    result.item = item;
    out.push_back(std::move(result));
    return true;
}

}  // namespace

bool IsStrMid(CLattice& lattice, CTable* table, int c0, std::vector<CTableItemEx>& out,
              std::vector<int>& positions) {
    if (!table || c0 < 0) return !out.empty();
    const std::string& sentence = lattice.normSentence;
    for (int s = c0; s < lattice.columnCount && 2 * static_cast<size_t>(s) < sentence.size(); ++s) {
        const char* rest = sentence.c_str() + 2 * static_cast<size_t>(s);
        const size_t length = sentence.size() - 2 * static_cast<size_t>(s);
        for (int l = CandidateChars(table->GetMaxLen_R(rest), length); l >= 1; --l)
            if (TryWord(lattice, table, std::string(rest, 2 * static_cast<size_t>(l)), s, s + l - 1, out))
                positions.push_back(s + l - 1);
        if (static_cast<int>(out.size()) >= kLatticeMatchLimit) break;
    }
    return !out.empty();
}

bool IsStrMid_R2L(CLattice& lattice, CTable* table, int c0, std::vector<CTableItemEx>& out,
                  std::vector<int>& positions) {
    if (!table || c0 < 0) return !out.empty();
    std::string text = ColumnsUpTo(lattice, std::min(c0, lattice.columnCount - 1));
    while (!text.empty()) {
        const int e = static_cast<int>(text.size() / 2) - 1;
        int cut = 1;
        for (int l = CandidateChars(table->GetMaxLen_L(text.c_str()), text.size()); l >= 1; --l) {
            const size_t bytes = 2 * static_cast<size_t>(l);
            if (TryWord(lattice, table, text.substr(text.size() - bytes), e - l + 1, e, out)) {
                positions.push_back(e);
                cut = l;
                break;
            }
        }
        text.resize(text.size() - std::min(text.size(), 2 * static_cast<size_t>(cut)));
    }
    return !out.empty();
}

}  // namespace zel
