#include "zel/lattice/key_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zel {

namespace {
constexpr size_t kFilterSize = 10240;
const unsigned char g_OrBit[8] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
}  // namespace

// h = h * 31 + byte (unsigned), 32 bits, modulo the filter size.
size_t CKeyList::FilterIndex(const char* name) {
    uint32_t h = 0;
    for (const char* p = name; *p; ++p) h = h * 31u + static_cast<unsigned char>(*p);
    return h % kFilterSize;
}

bool CKeyList::KeyListInit() {
    InitName2Type();
    filter_.assign(kFilterSize, 0);
    entries_.clear();
    for (const auto& [name, type] : g_mName2Type) {
        entries_.push_back(Entry{name.substr(0, 63), type});
        SetBit(name.c_str());
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return std::strcmp(a.name.c_str(), b.name.c_str()) < 0;
    });
    return true;
}

void CKeyList::KeyListExit() {
    entries_ = {};
    filter_ = {};
}

void CKeyList::SetBit(const char* name) {
    if (filter_.empty()) return;
    size_t i = FilterIndex(name);
    filter_[i] |= g_OrBit[i % 8];
}

bool CKeyList::CheckBIT(const char* name) const {
    if (filter_.empty()) return true;
    size_t i = FilterIndex(name);
    return (filter_[i] & g_OrBit[i % 8]) != 0;
}

bool CKeyList::Lookup(const char* name, Switch_Type& type) {
    if (entries_.empty()) KeyListInit();
    if (!name || !CheckBIT(name)) return false;
    auto found = std::lower_bound(entries_.begin(), entries_.end(), name, [](const Entry& e, const char* key) {
        return std::strcmp(e.name.c_str(), key) < 0;
    });
    if (found == entries_.end() || found->name != name) return false;
    type = found->type;
    return true;
}

}  // namespace zel
