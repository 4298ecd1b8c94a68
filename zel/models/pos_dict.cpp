#include "zel/models/pos_dict.h"

#include <algorithm>
#include <cstring>

#include "zel/models/byte_cursor.h"

namespace zel {
namespace {

// Slots of the filter per entry.
constexpr uint64_t kFilterSlotsPerEntry = 100;

// The 31-hash over the unsigned bytes, as word tables and rule networks use.
uint32_t Hash31(std::string_view text) {
    uint32_t h = 0;
    for (unsigned char c : text) h = h * 31 + c;
    return h;
}

int CompareKeys(std::string_view a, std::string_view b) {
    // strcmp order: unsigned bytes, a prefix first.
    int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

bool CDictSearch::DictSearchInit(const std::string& path) {
    DictSearchExit();
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) return false;
    ByteCursor in(bytes);
    int32_t names, count;
    bool ok = in.Count(&names, 1);
    for (int32_t k = 0; ok && k < names; ++k) ok = in.ShortText(&names_.emplace_back());
    ok = ok && in.Count(&count, 2);
    if (ok) {
        entries_.resize(count);
        filter_.assign(static_cast<size_t>(count) * kFilterSlotsPerEntry, 0);
    }
    for (int32_t e = 0; ok && e < count; ++e) {
        CDictItem& item = entries_[e];
        uint8_t pairs = 0;
        ok = in.ShortText(&item.keyword) && in.U8(&pairs);
        for (int k = 0; ok && k < pairs; ++k) {
            uint8_t index;
            float weight;
            ok = in.U8(&index) && in.F32(&weight) && index < names_.size();
            if (ok) {
                item.pos.push_back(names_[index]);
                item.weights.push_back(weight);
            }
        }
        if (ok) SetBit(item.keyword);
    }
    if (!ok) DictSearchExit();
    return ok;
}

void CDictSearch::DictSearchExit() {
    entries_.clear();
    names_.clear();
    filter_.clear();
}

void CDictSearch::SetBit(std::string_view key) {
    if (filter_.empty()) return;
    uint64_t slot = Hash31(key) % filter_.size();
    filter_[slot] |= static_cast<uint8_t>(1u << (slot % 8));
}

const CDictItem* CDictSearch::Find(std::string_view key) const {
    if (entries_.empty()) return nullptr;
    if (!filter_.empty()) {
        uint64_t slot = Hash31(key) % filter_.size();
        if (!(filter_[slot] & (1u << (slot % 8)))) return nullptr;
    }
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, [](const CDictItem& item, std::string_view k) {
        return CompareKeys(item.keyword, k) < 0;
    });
    return it != entries_.end() && it->keyword == key ? &*it : nullptr;
}

bool CDictSearch::DictSearch(std::string_view key, CDictItem& entry) const {
    const CDictItem* found = Find(key);
    if (found != nullptr) entry = *found;
    return found != nullptr;
}

bool CDictSearch::IsInDict(std::string_view key) const { return Find(key) != nullptr; }

const char* CDictSearch::GetPOS(int index) const {
    return index >= 0 && index < static_cast<int>(names_.size()) ? names_[index].c_str() : nullptr;
}

bool DictMaxSeg(const CDictSearch* dict, std::string_view text, std::string& word) {
    if (dict == nullptr || dict->size() == 0 || text.size() < 4) return false;
    for (size_t m = std::min<size_t>(text.size(), 8); m >= 4; m -= 2) {
        if (dict->IsInDict(text.substr(0, m))) {
            word.assign(text.substr(0, m));
            return true;
        }
    }
    return false;
}

}  // namespace zel
