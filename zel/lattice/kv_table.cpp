#include "zel/lattice/kv_table.h"

#include <cstring>

namespace zel {

namespace {

constexpr int kValueStoreBuckets = 256;
constexpr int kIntStoreBuckets = 64;

// A copy of the key cut to its field; the caller's text is left alone.
std::string CutKey(const char* key, size_t fieldSize) {
    size_t length = std::strlen(key);
    return std::string(key, length < fieldSize ? length : fieldSize - 1);
}

// Whether text occurs in stored as whole blank-separated items, so that
// "A=1" is not taken for already present in "A=12".
bool HoldsItems(const std::string& stored, const char* text) {
    size_t length = std::strlen(text);
    for (size_t at = stored.find(text); at != std::string::npos; at = stored.find(text, at + 1)) {
        bool startsItem = at == 0 || stored[at - 1] == ' ';
        bool endsItem = at + length == stored.size() || stored[at + length] == ' ';
        if (startsItem && endsItem) return true;
    }
    return false;
}

}  // namespace

uint32_t KVHash(const char* key) {
    uint32_t h = 0;
    for (const char* p = key; *p; ++p)
        h = h * 131u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    return h;
}

CKVTable::CKVTable(const CKVTable& other)
    : buckets_(other.buckets_),
      relationCount_(other.relationCount_),
      intCount_(other.intCount_),
      valueCount_(other.valueCount_) {
    for (const auto& r : other.relations_) relations_.push_back(std::make_unique<CRelationItem>(*r));
    for (const auto& r : other.ints_) ints_.push_back(std::make_unique<CKVItem>(*r));
    for (const auto& r : other.values_) {
        auto copy = std::make_unique<CKVValueItem>();
        copy->key = r->key;
        copy->values = std::make_unique<CKVTable>(*r->values);
        values_.push_back(std::move(copy));
    }
}

void CKVTable::New_Table(int n) {
    if (!buckets_.empty() || n <= 0) return;
    buckets_.resize(static_cast<size_t>(n));
}

void CKVTable::Clear() {
    if (buckets_.empty()) return;
    for (Bucket& b : buckets_) b.used = 0;
    relationCount_ = intCount_ = valueCount_ = 0;
}

void CKVTable::Free_Table() {
    buckets_ = decltype(buckets_)();
    relations_ = decltype(relations_)();
    ints_ = decltype(ints_)();
    values_ = decltype(values_)();
    relationCount_ = intCount_ = valueCount_ = 0;
}

CKVTable::Bucket* CKVTable::BucketOf(const char* key) {
    if (buckets_.empty()) return nullptr;
    return &buckets_[KVHash(key) % static_cast<uint32_t>(buckets_.size())];
}

const CKVTable::Bucket* CKVTable::BucketOf(const char* key) const {
    return const_cast<CKVTable*>(this)->BucketOf(key);
}

void CKVTable::AppendEntry(Bucket& bucket, Store store, int index) {
    if (static_cast<size_t>(bucket.used) < bucket.entries.size())
        bucket.entries[static_cast<size_t>(bucket.used)] = Entry{store, index};
    else
        bucket.entries.push_back(Entry{store, index});
    ++bucket.used;
}

int CKVTable::FindIndex(Store store, const char* key) const {
    const Bucket* bucket = key ? BucketOf(key) : nullptr;
    if (!bucket) return -1;
    for (int i = 0; i < bucket->used; ++i) {
        const Entry& e = bucket->entries[static_cast<size_t>(i)];
        if (e.store != store) continue;
        const std::string* stored = nullptr;
        if (store == kRelation && e.index < relationCount_) stored = &relations_[e.index]->key;
        if (store == kInteger && e.index < intCount_) stored = &ints_[e.index]->key;
        if (store == kValue && e.index < valueCount_) stored = &values_[e.index]->key;
        if (stored && *stored == key) return e.index;
    }
    return -1;
}

// The record at index count: a spare when one is kept, else a new one.
template <class Record>
Record& CKVTable::NextRecord(std::vector<std::unique_ptr<Record>>& records, int count) {
    if (static_cast<size_t>(count) == records.size()) records.push_back(std::make_unique<Record>());
    return *records[static_cast<size_t>(count)];
}

// ---- relation store ----

void CKVTable::Update_Table(const char* key, float score, const char* text) {
    if (!key) return;
    if (buckets_.empty()) New_Table(kValueStoreBuckets);
    std::string stored = CutKey(key, kRelationKeySize);
    if (text == nullptr) text = "";
    int index = FindIndex(kRelation, stored.c_str());
    if (index >= 0) {
        CRelationItem& item = *relations_[static_cast<size_t>(index)];
        item.score += score;
        size_t length = std::strlen(text);
        if (length > 0 && !HoldsItems(item.text, text) &&
            item.text.size() + 1 + length <= kRelationTextSize - 1) {
            item.text += ' ';
            item.text += text;
        }
        return;
    }
    CRelationItem& item = NextRecord(relations_, relationCount_);
    item.key = stored;
    item.text = CutKey(text, kRelationTextSize);
    item.score = score;
    AppendEntry(*BucketOf(stored.c_str()), kRelation, relationCount_++);
}

void CKVTable::Insert_Table(const char* key, const char* text) {
    if (!key) return;
    if (buckets_.empty()) New_Table(kValueStoreBuckets);
    std::string stored = CutKey(key, kRelationKeySize);
    if (text == nullptr) text = "";
    int index = FindIndex(kRelation, stored.c_str());
    if (index >= 0) {
        relations_[static_cast<size_t>(index)]->text = CutKey(text, kRelationTextSize);
        return;
    }
    CRelationItem& item = NextRecord(relations_, relationCount_);
    item.key = stored;
    item.text = CutKey(text, kRelationTextSize);
    item.score = 0;
    AppendEntry(*BucketOf(stored.c_str()), kRelation, relationCount_++);
}

bool CKVTable::Lookup_Table(const char* key, CRelationItem*& item) {
    int index = FindIndex(kRelation, key);
    if (index < 0) return false;
    item = relations_[static_cast<size_t>(index)].get();
    return true;
}

bool CKVTable::Lookup_Table(const char* key, std::string& text) {
    CRelationItem* item = nullptr;
    if (!Lookup_Table(key, item)) return false;
    text = item->text;
    return true;
}

// ---- integer store ----

CKVItem& CKVTable::AddIntRecord(const char* key) {
    if (buckets_.empty()) New_Table(kIntStoreBuckets);
    CKVItem& item = NextRecord(ints_, intCount_);
    item.key = CutKey(key, kKVKeySize);
    AppendEntry(*BucketOf(item.key.c_str()), kInteger, intCount_++);
    return item;
}

void CKVTable::insert(const char* key) {
    if (!key || find(key)) return;
    // A reused spare keeps the integer it had.
    AddIntRecord(key);
}

void CKVTable::insert(const char* key, int value) {
    if (!key || find(key)) return;
    AddIntRecord(key).value = value;
}

bool CKVTable::find(const char* key) const { return FindIndex(kInteger, key) >= 0; }

bool CKVTable::find(const char* key, int& value) const {
    int index = FindIndex(kInteger, key);
    if (index < 0) return false;
    value = ints_[static_cast<size_t>(index)]->value;
    return true;
}

CKVItem* CKVTable::GetKV(int i) {
    if (buckets_.empty() || i < 0 || i >= intCount_) return nullptr;
    return ints_[static_cast<size_t>(i)].get();
}

// ---- value store ----

CKVTable& CKVTable::ValueSet(const char* key) {
    if (buckets_.empty()) New_Table(kValueStoreBuckets);
    std::string stored = CutKey(key, kKVKeySize);
    int index = FindIndex(kValue, stored.c_str());
    if (index >= 0) return *values_[static_cast<size_t>(index)]->values;
    CKVValueItem& item = NextRecord(values_, valueCount_);
    item.key = stored;
    if (item.values)
        item.values->Clear();
    else
        item.values = std::make_unique<CKVTable>();
    AppendEntry(*BucketOf(stored.c_str()), kValue, valueCount_++);
    return *item.values;
}

void CKVTable::Insert2KVEx(const char* key, const char* value) {
    if (!key || !value) return;
    ValueSet(key).insert(value);
}

void CKVTable::Insert2KV(const char* key, const char* value, int weight) {
    if (!key || !value) return;
    ValueSet(key).insert(value, weight);
}

bool CKVTable::findEx(const char* key, int& index) const {
    int found = FindIndex(kValue, key);
    if (found < 0) return false;
    index = found;
    return true;
}

bool CKVTable::find(const char* key, const char* value) const {
    int index = FindIndex(kValue, key);
    if (index < 0 || !value) return false;
    if (std::strcmp(value, "*") == 0) return true;
    return values_[static_cast<size_t>(index)]->values->find(value);
}

void CKVTable::GetKVs(const char* key, std::vector<std::string>& values, int& n) const {
    n = 0;
    int index = FindIndex(kValue, key);
    if (index < 0) return;
    const CKVTable& set = *values_[static_cast<size_t>(index)]->values;
    for (; n < set.intCount_; ++n) {
        if (static_cast<size_t>(n) == values.size()) values.emplace_back();
        values[static_cast<size_t>(n)] = set.ints_[static_cast<size_t>(n)]->key;
    }
}

void CKVTable::GetKVs(const char* key, std::vector<std::pair<std::string, int>>& values, int& n) const {
    n = 0;
    int index = FindIndex(kValue, key);
    if (index < 0) return;
    const CKVTable& set = *values_[static_cast<size_t>(index)]->values;
    for (; n < set.intCount_; ++n) {
        if (static_cast<size_t>(n) == values.size()) values.emplace_back();
        const CKVItem& item = *set.ints_[static_cast<size_t>(n)];
        values[static_cast<size_t>(n)] = {item.key, item.value};
    }
}

void CKVTable::CollectKVInfoEx(std::map<std::string, std::vector<std::string>>& out) const {
    out.clear();
    if (buckets_.empty()) return;
    for (int i = 0; i < valueCount_; ++i) {
        const CKVValueItem& record = *values_[static_cast<size_t>(i)];
        const CKVTable& set = *record.values;
        if (set.size() == 0) continue;
        std::vector<std::string>& list = out[record.key];
        for (int k = 0; k < set.intCount_; ++k) list.push_back(set.ints_[static_cast<size_t>(k)]->key);
    }
}

}  // namespace zel
