// CKVTable: the grammar library's string-keyed hash store. One table holds
// three independent stores over one fixed array of buckets:
//   relation store  key -> CRelationItem (attribute text and float score)
//   integer store   key -> CKVItem (one integer)
//   value store     key -> an ordered set of distinct values with weights,
//                   itself a CKVTable whose integer store holds the values.
// Emptying keeps records and chain entries for reuse, so a table that is
// emptied and refilled per sentence stops allocating once it has grown.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zel {

// Stored keys and texts are cut to one byte less than these field sizes.
constexpr size_t kRelationKeySize = 1024;
constexpr size_t kRelationTextSize = 51200;
constexpr size_t kKVKeySize = 10240;

struct CRelationItem {
    std::string key;
    std::string text;
    float score = 0;
};

struct CKVItem {
    std::string key;
    int value = 0;
};

class CKVTable;

struct CKVValueItem {
    std::string key;
    std::unique_ptr<CKVTable> values;
};

class CKVTable {
public:
    CKVTable() = default;
    CKVTable(const CKVTable& other);
    CKVTable& operator=(const CKVTable&) = delete;
    ~CKVTable() = default;

    // Gives a table without buckets n buckets.
    void New_Table(int n);
    // Empties all three stores; buckets and records stay for reuse.
    void Clear();
    void Clear_Table() { Clear(); }
    void clear() { Clear(); }
    // Frees everything; the table has no buckets afterwards.
    void Free_Table();
    int BucketCount() const { return static_cast<int>(buckets_.size()); }

    // Relation store.
    void Update_Table(const char* key, float score, const char* text);
    void Insert_Table(const char* key, const char* text);
    bool Lookup_Table(const char* key, CRelationItem*& item);
    bool Lookup_Table(const char* key, std::string& text);
    // Relation records in the order they were made, for i below the count.
    int RelationCount() const { return relationCount_; }
    const CRelationItem& RelationAt(int i) const { return *relations_[static_cast<size_t>(i)]; }

    // Integer store; 64 buckets are made on the first insertion.
    void insert(const char* key);
    void insert(const char* key, int value);
    bool find(const char* key) const;
    bool find(const char* key, int& value) const;
    CKVItem* GetKV(int i);
    int size() const { return buckets_.empty() ? 0 : intCount_; }

    // Value store; 256 buckets are made on the first insertion.
    void Insert2KVEx(const char* key, const char* value);
    void Insert2KV(const char* key, const char* value, int weight);
    bool findEx(const char* key, int& index) const;
    // "*" asks only whether the key has a value.
    bool find(const char* key, const char* value) const;
    // n = the key's value count; values[0..n-1] are overwritten in place and
    // the vector grows only when too short.
    void GetKVs(const char* key, std::vector<std::string>& values, int& n) const;
    void GetKVs(const char* key, std::vector<std::pair<std::string, int>>& values, int& n) const;

    // Attribute text (see attribute_text.cpp): items key=value, bare items
    // under "Tag", several values per item.
    void Insert2KV(const char* text);
    void Insert2KV(const char* key, const char* value);
    // The lattice's unit index: key=piece -> unit identifier, plus key=* for
    // keys beginning with 'U' or 'R'.
    void InsertKV2Unit(const char* key, const char* value, const char* unitId);
    bool IsKV2Unit(const char* key, const char* value, const char* unitId) const;
    // Items joined by '&', all of which must hold; "*" asks for any value.
    bool CheckExp(const char* condition) const;

    // Every key of the value store with its values in order; keys without
    // values get no entry.
    void CollectKVInfoEx(std::map<std::string, std::vector<std::string>>& out) const;

private:
    enum Store : uint8_t { kRelation, kInteger, kValue };
    struct Entry {
        Store store;
        int index;
    };
    // Chain of one bucket: entries of all three stores in insertion order;
    // only the first `used` are live, the rest are spares.
    struct Bucket {
        std::vector<Entry> entries;
        int used = 0;
    };

    Bucket* BucketOf(const char* key);
    const Bucket* BucketOf(const char* key) const;
    static void AppendEntry(Bucket& bucket, Store store, int index);
    int FindIndex(Store store, const char* key) const;
    template <class Record>
    static Record& NextRecord(std::vector<std::unique_ptr<Record>>& records, int count);
    CKVItem& AddIntRecord(const char* key);
    CKVTable& ValueSet(const char* key);

    std::vector<Bucket> buckets_;
    std::vector<std::unique_ptr<CRelationItem>> relations_;
    int relationCount_ = 0;
    std::vector<std::unique_ptr<CKVItem>> ints_;
    int intCount_ = 0;
    std::vector<std::unique_ptr<CKVValueItem>> values_;
    int valueCount_ = 0;
};

// Bucket of a key: h = h * 131 + byte (as a signed 8-bit number), 32 bits.
uint32_t KVHash(const char* key);

}  // namespace zel
