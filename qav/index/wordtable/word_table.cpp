#include "qav/index/wordtable/word_table.h"

#include <algorithm>
#include <cstring>

#include "common/text/gbk_char.h"

namespace qav {

namespace {

int HanIndex(unsigned char lead, unsigned char trail) {
    if (!qz::IsGb2312Han(lead, trail)) return -1;
    return (lead - 0xB0) * 94 + (trail - 0xA1);
}

int HanAt(std::string_view text, size_t pos) {
    if (pos + 2 > text.size()) return -1;
    return HanIndex(static_cast<unsigned char>(text[pos]), static_cast<unsigned char>(text[pos + 1]));
}

int LowByte(uint16_t entry) { return entry & 0xFF; }
int HighByte(uint16_t entry) { return entry >> 8; }

// Lengths are kept in one byte each; longer words are capped (they are then
// found only by exact lookups).
void RaiseLow(uint16_t& entry, int n) {
    int low = std::max(LowByte(entry), std::min(n, 0xFF));
    entry = static_cast<uint16_t>((entry & 0xFF00) | low);
}

void RaiseHigh(uint16_t& entry, int n) {
    int high = std::max(HighByte(entry), std::min(n, 0xFF));
    entry = static_cast<uint16_t>((high << 8) | (entry & 0xFF));
}

bool InArray(const std::vector<uint16_t>& lengths, int han) {
    return han >= 0 && static_cast<size_t>(han) < lengths.size();
}

}  // namespace

uint32_t GetHash(std::string_view text) {
    uint32_t h = 0;
    for (char c : text) h = h * 31u + static_cast<unsigned char>(c);
    return h;
}

int CompareItem_table(const CTableItem& a, const CTableItem& b) {
    return std::strcmp(a.key.c_str(), b.key.c_str());
}

int GetHZNo(std::string_view text) { return HanAt(text, 0); }

void SetHZInfo(const CTableItem& item, std::vector<uint16_t>& lengths, bool from_end) {
    const std::string& key = item.key;
    const size_t size = key.size();
    const int n = static_cast<int>(std::min<size_t>(size / 2, 0xFF));
    if (size < 2) return;
    if (size < 4) {
        int han = HanAt(key, from_end ? size - 2 : 0);
        if (InArray(lengths, han) && LowByte(lengths[han]) < n) RaiseLow(lengths[han], 1);
        return;
    }
    int c1 = HanAt(key, from_end ? size - 2 : 0);
    int c2 = HanAt(key, from_end ? size - 4 : 2);
    if (!InArray(lengths, c1) || !InArray(lengths, c2)) return;
    RaiseLow(lengths[c1], n);
    RaiseHigh(lengths[c2], n);
}

int CTable::Entry(const std::vector<uint16_t>& lengths, int han) {
    return InArray(lengths, han) ? lengths[han] : 0;
}

void CTable::ResetFilter() { filter_.reset(); }

void CTable::AddToFilter(const std::string& key) { filter_.set(GetHash(key) % kTableFilterSlots); }

void CTable::SetTable_Set(const std::set<std::string>& words, const char* name) {
    FreeTable();
    keyword_ = name;
    items_.reserve(words.size());
    for (const std::string& word : words) {
        if (word.size() >= kTableTextLimit) continue;
        items_.push_back(CTableItem{word, std::string(), 0});
        AddToFilter(word);
    }
    SetTag();
}

void CTable::SetTag() {
    start_lengths_.assign(kHanCount, 0);
    end_lengths_.assign(kHanCount, 0);
    for (const CTableItem& item : items_) {
        SetHZInfo(item, start_lengths_, false);
        SetHZInfo(item, end_lengths_, true);
    }
}

const CTableItem* CTable::Lookup(std::string_view key) const {
    if (!filter_.test(GetHash(key) % kTableFilterSlots)) return nullptr;
    auto it = std::lower_bound(items_.begin(), items_.end(), key,
                               [](const CTableItem& item, std::string_view k) { return item.key < k; });
    if (it == items_.end() || it->key != key) return nullptr;
    return &*it;
}

int CTable::GetMaxLen_R(std::string_view text) const {
    if (text.empty()) return 0;
    if (text.size() < 4) return 1;
    int c1 = HanAt(text, 0);
    if (c1 < 0) return 0;
    int c2 = HanAt(text, 2);
    return std::max(LowByte(Entry(start_lengths_, c1)), c2 < 0 ? 0 : HighByte(Entry(start_lengths_, c2)));
}

int CTable::GetMaxLen_L(std::string_view text) const {
    if (text.empty()) return 0;
    if (text.size() < 4) return 1;
    int c1 = HanAt(text, text.size() - 2);
    int c2 = HanAt(text, text.size() - 4);
    return std::max(c1 < 0 ? 0 : LowByte(Entry(end_lengths_, c1)),
                    c2 < 0 ? 0 : HighByte(Entry(end_lengths_, c2)));
}

void CTable::FreeTable() {
    keyword_.clear();
    items_.clear();
    items_.shrink_to_fit();
    end_lengths_.clear();
    start_lengths_.clear();
    ResetFilter();
}

}  // namespace qav
