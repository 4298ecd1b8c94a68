// Building a word table from item lines: splitting the lines, sorting the
// items, the length tables, the key filter and character sets, and the
// key-value index.
#include <algorithm>
#include <cstring>

#include "zel/lattice/char_class.h"
#include "zel/rules/format/run_switches.h"
#include "zel/rules/tables/table.h"

namespace zel {
namespace {

constexpr int kNibbleCap = 15;
// Pair texts longer than this are left out of the key-value index.
constexpr size_t kPairTextLimit = 4096;

void Progress(const char* line) {
    if (g_showMsg) std::printf("%s\n", line);
}

bool IsWide(unsigned char byte) { return byte >= 0x80; }

int CharLength(const std::string& key) { return static_cast<int>(key.size() / 2); }

void RaiseLow(std::string& lengths, int ordinal, int length) {
    auto& byte = reinterpret_cast<unsigned char&>(lengths[static_cast<size_t>(ordinal)]);
    int low = std::max(byte & 0x0F, std::min(length, kNibbleCap));
    byte = static_cast<unsigned char>((byte & 0xF0) | low);
}

void RaiseHigh(std::string& lengths, int ordinal, int length) {
    auto& byte = reinterpret_cast<unsigned char&>(lengths[static_cast<size_t>(ordinal)]);
    int high = std::max(byte >> 4, std::min(length, kNibbleCap));
    byte = static_cast<unsigned char>((high << 4) | (byte & 0x0F));
}

void SetBit(std::string& set, int ordinal) {
    size_t byte = static_cast<size_t>(ordinal) / 8;
    if (ordinal < 0 || byte >= set.size()) return;
    set[byte] = static_cast<char>(set[byte] | (1 << (ordinal % 8)));
}

// Every pair text k=v of an item value, through a reused attribute table.
template <class Visit>
void ForEachPair(CKVTable& scratch, const std::string& value, Visit visit) {
    scratch.Clear();
    scratch.Insert2KV(value.c_str());
    std::map<std::string, std::vector<std::string>> pairs;
    scratch.CollectKVInfoEx(pairs);
    for (const auto& [key, values] : pairs) {
        for (const std::string& v : values) visit(key, key + "=" + v);
    }
}

}  // namespace

bool CTable::SetTableEx(const char* name, const std::vector<std::string>& lines, bool withIndex, bool& hasColl) {
    FreeTable();
    hasColl = false;
    name_ = name ? name : "";
    items_.resize(lines.size());
    firstChars_.assign(kCharSetBytes, '\0');
    secondChars_.assign(kCharSetBytes, '\0');
    Progress("To GetInfo");
    for (size_t i = 0; i < lines.size(); ++i) GetInfo(lines[i], items_[i]);
    Progress("To Sort");
    std::stable_sort(items_.begin(), items_.end(),
                     [](const CTableItem& a, const CTableItem& b) { return Compare_Item(a, b) < 0; });
    Progress("SetTagEx");
    SetTagEx();
    Progress("SetBIT");
    SetBIT();
    if (withIndex) {
        Progress("SetKVInfo");
        SetKVInfo(hasColl);
    }
    return true;
}

bool CTable::GetInfo(const std::string& line, CTableItem& item) {
    size_t keyEnd = line.find("$@$");
    size_t valueStart = keyEnd + 3;
    if (keyEnd == std::string::npos) {
        keyEnd = line.find_first_of(" \t");
        valueStart = keyEnd == std::string::npos ? keyEnd : keyEnd + 1;
    }
    std::string key = line.substr(0, keyEnd);
    std::string value;
    if (valueStart != std::string::npos && valueStart <= line.size()) {
        size_t first = line.find_first_not_of(" \t", valueStart);
        if (first != std::string::npos) value = line.substr(first);
    }
    bool isCondition = key.find('=') != std::string::npos;
    if (isCondition || (!key.empty() && key[0] == '#')) {
        item.key = key;
    } else {
        size_t size = 2 * key.size() + 3;
        item.key.assign(size, '\0');
        Banjiao2Quanjiao(key.c_str(), item.key.data(), static_cast<int>(size));
        item.key.resize(std::strlen(item.key.c_str()));
    }
    item.value = value;
    if (isCondition) {
        hasItemKV_ = true;
        itemKVs_.emplace_back();
        itemKVs_.back().SetItemKV(key.c_str(), value.c_str());
    }
    return true;
}

void CTable::SetTagEx() {
    if (items_.size() > kMinCollNum) {
        SetTag();
        return;
    }
    int longest = 0;
    for (const CTableItem& item : items_) {
        if (!item.key.empty() && IsWide(static_cast<unsigned char>(item.key[0])))
            longest = std::max(longest, CharLength(item.key));
    }
    charCount_ = 1;
    endLengths_.assign(1, static_cast<char>(std::min(longest, 255)));
    beginLengths_ = endLengths_;
}

void CTable::SetTag() {
    charCount_ = kHZNumTotal;
    beginLengths_.assign(static_cast<size_t>(charCount_), '\0');
    endLengths_.assign(static_cast<size_t>(charCount_), '\0');
    for (const CTableItem& item : items_) {
        SetHZInfoEx_CHAR(item.key, beginLengths_, false);
        SetHZInfoEx_CHAR(item.key, endLengths_, true);
    }
}

void CTable::SetHZInfoEx_CHAR(const std::string& key, std::string& lengths, bool fromEnd) {
    auto recorded = [this](int ordinal) { return ordinal >= 0 && ordinal < charCount_; };
    size_t size = key.size();
    if (size == 2 || size == 3) {
        int only = GetHZNoEx(key.c_str());
        if (recorded(only)) RaiseLow(lengths, only, 1);
        return;
    }
    if (size < 4) return;
    int first = GetHZNoEx(fromEnd ? key.c_str() + size - 2 : key.c_str());
    int second = GetHZNoEx(fromEnd ? key.c_str() + size - 4 : key.c_str() + 2);
    if (!recorded(first) || !recorded(second)) return;
    RaiseLow(lengths, first, CharLength(key));
    RaiseHigh(lengths, second, CharLength(key));
}

void CTable::SetBIT() {
    longest_ = 0;
    for (const CTableItem& item : items_) {
        if (!item.key.empty() && IsWide(static_cast<unsigned char>(item.key[0])))
            longest_ = std::max(longest_, CharLength(item.key));
    }
    uint32_t size = items_.empty() ? 1 : NextPrimeAtLeast(10 * static_cast<uint32_t>(items_.size()) + 1);
    filter_.assign(size, '\0');
    for (const CTableItem& item : items_) {
        uint32_t i = GetHash(item.key) % size;
        filter_[i] = static_cast<char>(filter_[i] | (1 << (i % 8)));
        SetBitHZ(item.key);
    }
}

void CTable::SetBitHZ(const std::string& key) {
    SetBit(firstChars_, GetHZNoEx(key.c_str()));
    if (key.size() >= 3) SetBit(secondChars_, GetHZNoEx(key.c_str() + 2));
}

void CTable::SetKVInfo(bool& hasColl) {
    hasColl = false;
    hasKVIndex_ = true;
    pairCounts_.clear();
    CKVTable scratch;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (g_showMsg && i % 10000 == 0) std::printf("Processing %zu\r", i);
        if (items_[i].value.empty()) continue;
        ForEachPair(scratch, items_[i].value, [&](const std::string& key, const std::string& pair) {
            if (key == "Coll") hasColl = true;
            if (pair.size() <= kPairTextLimit) ++pairCounts_[pair].first;
        });
    }
    uint32_t start = 0;
    for (auto& [pair, countStart] : pairCounts_) {
        countStart.second = start;
        start += countStart.first + 1;
    }
    postings_.assign(start, 0);
    // Each list's count is written at its start and then serves as the
    // number of items placed so far, until the second pass has placed all.
    if (g_showMsg) std::printf("\n");
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].value.empty()) continue;
        ForEachPair(scratch, items_[i].value, [&](const std::string&, const std::string& pair) {
            auto found = pairCounts_.find(pair);
            if (found == pairCounts_.end()) return;
            uint32_t& placed = postings_[found->second.second];
            postings_[found->second.second + 1 + placed] = static_cast<uint32_t>(i);
            ++placed;
        });
    }
}

}  // namespace zel
