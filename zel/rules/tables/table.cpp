#include "zel/rules/tables/table.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "zel/lattice/char_class.h"

namespace zel {
namespace {

constexpr int kNibbleCap = 15;

int LowNibble(const std::string& lengths, int ordinal) {
    return static_cast<unsigned char>(lengths[static_cast<size_t>(ordinal)]) & 0x0F;
}

int HighNibble(const std::string& lengths, int ordinal) {
    return static_cast<unsigned char>(lengths[static_cast<size_t>(ordinal)]) >> 4;
}

bool BitSet(const std::string& set, int ordinal) {
    size_t byte = static_cast<size_t>(ordinal) / 8;
    return ordinal >= 0 && byte < set.size() && (static_cast<unsigned char>(set[byte]) >> (ordinal % 8)) & 1;
}

}  // namespace

int Compare_Item(const CTableItem& a, const CTableItem& b) { return std::strcmp(a.key.c_str(), b.key.c_str()); }

void CTableItemKV::SetItemKV(const char* itemKey, const char* itemValue) {
    key = itemKey ? itemKey : "";
    if (itemValue) {
        value = itemValue;
        attributes.Insert2KV(itemValue);
    }
}

void CTable::FreeTable() {
    items_.clear();
    name_.clear();
    endLengths_.clear();
    beginLengths_.clear();
    filter_.clear();
    firstChars_.clear();
    secondChars_.clear();
    postings_.clear();
    itemKVs_.clear();
    pairCounts_.clear();
    hasItemKV_ = false;
    hasKVIndex_ = false;
    charCount_ = 0;
    longest_ = 0;
}

bool CTable::Lookup(const char* key, CTableItem*& item) {
    if (!key) return false;
    // The full-width form of the key, kept per thread to spare an allocation
    // per lookup: threads share the table.
    thread_local std::string wide;
    if (key[0] == '#') {
        wide = key;
    } else {
        // Full width never takes more than twice the bytes.
        size_t size = 2 * std::strlen(key) + 3;
        wide.assign(size, '\0');
        Banjiao2Quanjiao(key, wide.data(), static_cast<int>(size));
        wide.resize(std::strlen(wide.c_str()));
    }
    if (!CheckBIT(wide.data(), wide.size())) return false;
    auto found = std::lower_bound(items_.begin(), items_.end(), wide,
                                  [](const CTableItem& a, const std::string& k) { return a.key < k; });
    if (found == items_.end() || found->key != wide) return false;
    item = &*found;
    return true;
}

CTableItem::CTableItem(CTableItem&& other) noexcept
    : key(std::move(other.key)), value(std::move(other.value)), attributes_(other.attributes_.exchange(nullptr)) {}

CTableItem& CTableItem::operator=(CTableItem&& other) noexcept {
    if (this != &other) {
        key = std::move(other.key);
        value = std::move(other.value);
        delete attributes_.exchange(other.attributes_.exchange(nullptr));
    }
    return *this;
}

CKVTable* CTableItem::Attributes() {
    if (value.empty()) return nullptr;
    if (CKVTable* made = attributes_.load(std::memory_order_acquire)) return made;
    auto table = std::make_unique<CKVTable>();
    table->Insert2KV(value.c_str());
    CKVTable* first = nullptr;
    if (attributes_.compare_exchange_strong(first, table.get(), std::memory_order_acq_rel))
        return table.release();
    return first;  // another thread made it meanwhile; ours is dropped
}

bool CTable::CheckBIT(const char* key, size_t length) const {
    if (filter_.empty()) return true;
    uint32_t i = GetHash(std::string_view(key, length)) % static_cast<uint32_t>(filter_.size());
    return (static_cast<unsigned char>(filter_[i]) >> (i % 8)) & 1;
}

// Both nibbles bound the length; the larger one is the bound. A pair of 15s
// means "15 or more", where only the longest key bounds it.
int CTable::Bound(int a, int b) const {
    if (a > b) return a;
    if (a < kNibbleCap || b < kNibbleCap) return b;
    return longest_;
}

// A character without an ordinal (GBK/3-4, ASCII, F7FE) is not recorded in
// the length tables; the longest key is then the only sound bound, or words
// holding such characters could never be matched in a large table.
int CTable::GetMaxLen_R(const char* text) const {
    if (charCount_ == 1) return longest_;
    size_t length = std::strlen(text);
    if (length == 0) return 0;
    if (length < 4) return 1;
    int o1 = GetHZNoEx(text), o2 = GetHZNoEx(text + 2);
    if (o1 < 0 || o2 < 0 || o1 >= charCount_ || o2 >= charCount_) return longest_;
    return Bound(LowNibble(beginLengths_, o1), HighNibble(beginLengths_, o2));
}

int CTable::GetMaxLen_L(const char* text) const {
    if (charCount_ == 1) return longest_;
    size_t length = std::strlen(text);
    if (length == 0) return 0;
    if (length < 4) return 1;
    int o1 = GetHZNoEx(text + length - 2), o2 = GetHZNoEx(text + length - 4);
    if (o1 < 0 || o2 < 0 || o1 >= charCount_ || o2 >= charCount_) return longest_;
    return Bound(LowNibble(endLengths_, o1), HighNibble(endLengths_, o2));
}

bool CTable::CheckBitHZ(const char* text, int n) const {
    if (!BitSet(firstChars_, GetHZNoEx(text))) return false;
    if (n < 3) return true;
    if (BitSet(secondChars_, GetHZNoEx(text + 2))) return true;
    return CheckBIT(text, 2);
}

bool CTable::RetTablePossible(const char* text, int n) const {
    for (int at = 0; at < n; at += 2) {
        if (CheckBitHZ(text + at, n - at)) return true;
    }
    return false;
}

void CTable::Dump2File_Table(FILE* file) const {
    std::fprintf(file, ".%s\n(\n[\n", name_.c_str());
    for (const CTableItem& item : items_) {
        if (item.key.empty()) continue;
        std::fprintf(file, "%s %s\n", item.key.c_str(), item.value.c_str());
    }
    std::fprintf(file, "]\n)\n");
}

}  // namespace zel
