// Writes one group of the data file: the trigram records of a character pair
// and, under each, its sorted lists of longer n-grams.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "common/platform/zq_sort.h"
#include "zel/models/le_bytes.h"
#include "zel/models/ngram_build_tables.h"
#include "zel/models/ngram_keys.h"
#include "zel/models/ngram_quantise.h"

namespace zel {
namespace {

constexpr int kMaxOrder = 9;
constexpr int kMaxFourGrams = 0xFFFF;

// An n-gram of the group: the characters after the prefix and its values.
struct GroupItem {
    std::string chars;
    float probability;
    float backoff;
};

// What the group holds for one third character.
struct ThirdChar {
    bool hasTrigram = false;
    float probability = kNgramFloor;
    float backoff = 0;
    std::vector<const GroupItem*> longer[kMaxOrder + 1];  // by order 4 to 9
};

bool ParseGroupLine(const std::string& line, GroupItem& item) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    item.chars = line.substr(0, tab);
    char* end = nullptr;
    item.probability = static_cast<float>(std::strtod(line.c_str() + tab + 1, &end));
    std::strtol(end, &end, 10);  // the count is not stored
    item.backoff = static_cast<float>(std::strtod(end, nullptr));
    return true;
}

// Record of a five- to nine-gram list: pair keys for character pairs, a raw
// code for a lone last character, then the quantised value.
std::string LongRecord(const GroupItem& item, int order, NgramBuildMode mode, const CHZInfo& chars) {
    std::string record;
    const char* c = item.chars.data() + 2;  // fourth character of the n-gram
    for (int left = order - 3; left > 0;) {
        if (left == 1) {
            record.append(c, 2);
            break;
        }
        unsigned char key[kPairKeyBytes];
        Encode2HZ(chars, c, key);
        record.append(reinterpret_cast<const char*>(key), kPairKeyBytes);
        c += 4;
        left -= 2;
    }
    // Plain five-grams keep their back-off weight in the value, as the
    // shorter levels do; back-off five-grams and longer n-grams do not.
    const bool withBackoff = order == 5 && mode == NgramBuildMode::Plain;
    const float value = withBackoff ? item.probability + item.backoff : item.probability;
    qz::bytes::Append<uint16_t>(record, QuantiseLogProb(value));
    return record;
}

int KeyBytes(int order) { return (order - 3) / 2 * kPairKeyBytes + ((order - 3) % 2) * 2; }

zq_compare_fn ComparatorOf(int order) {
    switch (order) {
        case 5: return CMP_3;
        case 6: return CMP_5;
        case 7: return CMP_6;
        case 8: return CMP_8;
        default: return CMP_9;
    }
}

// Count field and records of a five- to nine-gram list, sorted by key.
std::string LongList(const std::vector<const GroupItem*>& items, int order, NgramBuildMode mode,
                     const CHZInfo& chars) {
    const size_t recordBytes = static_cast<size_t>(KeyBytes(order)) + 2;
    std::string records;
    records.reserve(items.size() * recordBytes);
    for (const GroupItem* item : items) records += LongRecord(*item, order, mode, chars);
    zq_quicksort(records.data(), items.size(), recordBytes, ComparatorOf(order));
    std::string list;
    qz::bytes::Append<int32_t>(list, static_cast<int32_t>(items.size()));
    return list + records;
}

int ListBytes(NgramBuildMode mode, int order, size_t count) {
    if (order == 4) return 2 + static_cast<int>(count) * (mode == NgramBuildMode::Plain ? 4 : 6);
    return 4 + static_cast<int>(count) * (KeyBytes(order) + 2);
}

}  // namespace

bool WriteGroup(std::vector<std::string>& lines, const BuildTables& tables, NgramBuildMode mode, CountingFile& data) {
    std::sort(lines.begin(), lines.end());
    std::vector<GroupItem> items;
    items.reserve(lines.size());
    for (const std::string& line : lines) {
        GroupItem item;
        if (ParseGroupLine(line, item) && item.chars.size() >= 2 && item.chars.size() <= 14) items.push_back(item);
    }

    // By character index, which is the byte order of the characters.
    std::map<int, ThirdChar> thirds;
    for (const GroupItem& item : items) {
        ThirdChar& third = thirds[tables.chars.HZ2No(item.chars.data())];
        const int order = static_cast<int>(item.chars.size()) / 2 + 2;
        if (order == 3) {
            third.hasTrigram = true;
            third.probability = item.probability;
            third.backoff = item.backoff;
        } else {
            third.longer[order].push_back(&item);
        }
    }
    const int lastOrder = mode == NgramBuildMode::Plain ? kMaxOrder : 5;
    for (auto it = thirds.begin(); it != thirds.end();) {
        bool used = it->second.hasTrigram;
        for (int order = 4; order <= lastOrder; ++order) used = used || !it->second.longer[order].empty();
        it = used ? std::next(it) : thirds.erase(it);
    }
    for (const auto& entry : thirds)
        if (entry.second.longer[4].size() > kMaxFourGrams) return false;

    const bool plain = mode == NgramBuildMode::Plain;
    std::string bytes;
    qz::bytes::Append<uint16_t>(bytes, static_cast<uint16_t>(thirds.size()));
    int64_t offset = 2 + static_cast<int64_t>(thirds.size()) * (plain ? 28 : 14);
    for (const auto& [index, third] : thirds) {
        qz::bytes::Append<uint16_t>(bytes, tables.chars.codes[index]);
        if (plain) {
            qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(third.probability + third.backoff));
        } else {
            qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(third.probability));
            qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(third.backoff));
        }
        for (int order = 4; order <= lastOrder; ++order) {
            const size_t count = third.longer[order].size();
            if (count == 0) {
                qz::bytes::Append<int32_t>(bytes, -1);
                continue;
            }
            if (offset > INT32_MAX) return false;
            qz::bytes::Append<int32_t>(bytes, static_cast<int32_t>(offset));
            offset += ListBytes(mode, order, count);
        }
    }
    for (const auto& entry : thirds) {
        const ThirdChar& third = entry.second;
        if (!third.longer[4].empty()) {
            qz::bytes::Append<uint16_t>(bytes, static_cast<uint16_t>(third.longer[4].size()));
            for (const GroupItem* item : third.longer[4]) {
                bytes.append(item->chars, 2, 2);
                if (plain) {
                    qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(item->probability + item->backoff));
                } else {
                    qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(item->probability));
                    qz::bytes::Append<uint16_t>(bytes, QuantiseLogProb(item->backoff));
                }
            }
        }
        for (int order = 5; order <= lastOrder; ++order)
            if (!third.longer[order].empty()) bytes += LongList(third.longer[order], order, mode, tables.chars);
    }
    data.Write(bytes);
    lines.clear();
    return true;
}

}  // namespace zel
