// CTable: one word table. Items are kept sorted by the bytes of their keys;
// keys are stored in full-width form unless they begin with "#" or contain
// "=" (unit conditions, which are also kept as item-KV entries). Beside the
// items a table keeps what makes lookups and longest-match searches cheap:
// per-character length tables (nibbles of the longest key lengths), a key
// filter and first- and second-character sets; and, while it is being built
// with an index, the key-value postings that CTableKV serves once loaded.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zel/lattice/kv_table.h"
#include "zel/rules/format/table_format.h"

namespace zel {

class CTableItem {
public:
    CTableItem() = default;
    CTableItem(CTableItem&& other) noexcept;
    CTableItem& operator=(CTableItem&& other) noexcept;
    ~CTableItem() { DelKV(); }

    std::string key;
    std::string value;  // empty: the item has none

    // The value as an attribute table, made on the first call and kept
    // until the table goes; null for an item without a value. It is made
    // when first read rather than on the first lookup: an attribute table
    // costs kilobytes, and a large table whose items are all looked up (as
    // segmentation does) would otherwise hold gigabytes of them. Threads
    // that share the table (a batch run's workers) may call it at once.
    CKVTable* Attributes();
    // Not while another thread may read the attributes.
    void DelKV() { delete attributes_.exchange(nullptr); }

private:
    // Owned; set once, by whichever first caller wins.
    std::atomic<CKVTable*> attributes_{nullptr};
};

// A unit condition of the table and the attributes it gives a unit that
// satisfies it.
struct CTableItemKV {
    std::string key;
    std::string value;
    CKVTable attributes;

    void SetItemKV(const char* key, const char* value);
};

// One match handed to callers.
struct CTableItemEx {
    std::string word;
    std::string value;
    std::string unitId;  // "(c,i)" of a unit spanning the match exactly
    // The matched table item; null for a result that a unit condition gave.
    CTableItem* item = nullptr;

    // The item's attribute table (made on the first call), or null.
    CKVTable* Attributes() const { return item ? item->Attributes() : nullptr; }
};

class CTable {
public:
    CTable() = default;
    CTable(const CTable&) = delete;
    CTable& operator=(const CTable&) = delete;

    void FreeTable();
    const std::string& GetKeyword() const { return name_; }

    // The key in full-width form (unless it begins with "#"), through the
    // filter, then a binary search.
    bool Lookup(const char* key, CTableItem*& item);
    bool CheckBIT(const char* key, size_t length) const;
    // Upper bounds on the length in characters of a table word that begins
    // (R) or ends (L) the text.
    int GetMaxLen_R(const char* text) const;
    int GetMaxLen_L(const char* text) const;
    bool CheckBitHZ(const char* text, int n) const;
    bool RetTablePossible(const char* text, int n) const;
    // ".name", "(", "[", "key value" per item, "]", ")".
    void Dump2File_Table(FILE* file) const;

    // ---- the file form (table_io.cpp) ----
    // Fills the table from its blob; false when the blob is damaged (the
    // table is then empty).
    bool SetTable(const char* name, const char* blob, size_t size);
    // Each appends at the end of file and returns the bytes written.
    uint64_t WriteTable(FILE* file) const;
    uint64_t WriteItemKV(FILE* file) const;
    uint64_t WriteKVInfo(FILE* file) const;

    // ---- building from source lines (table_build.cpp) ----
    bool SetTableEx(const char* name, const std::vector<std::string>& lines, bool withIndex, bool& hasColl);
    bool GetInfo(const std::string& line, CTableItem& item);
    void SetTagEx();
    void SetTag();
    void SetBIT();
    void SetBitHZ(const std::string& key);
    void SetKVInfo(bool& hasColl);
    bool HasKVIndex() const { return hasKVIndex_; }

    std::vector<CTableItem>& items() { return items_; }
    const std::vector<CTableItem>& items() const { return items_; }
    std::vector<CTableItemKV>& itemKVs() { return itemKVs_; }
    bool HasItemKV() const { return hasItemKV_; }
    int32_t charCount() const { return charCount_; }
    int32_t longest() const { return longest_; }

private:
    // Raises the nibbles of one key in the begin (or end) length table.
    void SetHZInfoEx_CHAR(const std::string& key, std::string& lengths, bool fromEnd);
    int Bound(int a, int b) const;

    std::string name_;
    std::vector<CTableItem> items_;
    std::vector<CTableItemKV> itemKVs_;
    bool hasItemKV_ = false;
    std::string endLengths_;
    std::string beginLengths_;
    int32_t charCount_ = 0;  // H
    int32_t longest_ = 0;
    std::string filter_;
    std::string firstChars_;
    std::string secondChars_;
    // The key-value index as built: pair text -> (count, start), and the
    // posting array (at each start a count, then that many item numbers).
    std::map<std::string, std::pair<uint32_t, uint32_t>> pairCounts_;
    std::vector<uint32_t> postings_;
    bool hasKVIndex_ = false;
};

// Byte order of item keys (strcmp).
int Compare_Item(const CTableItem& a, const CTableItem& b);

}  // namespace zel
