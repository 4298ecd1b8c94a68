#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "zel/lattice/lattice.h"
#include "zel/lattice/value_text.h"

namespace zel {

namespace {

// Built-in names collected for every unit past the character kind.
const char* const kPlaceholderNames[] = {"HeadWord", "Word", "UnitNo"};
const char* const kUnitNames[] = {"HeadWord", "Word",    "UnitNo", "UChunk", "ChunkID",  "Char",
                                  "ClauseID", "GroupID", "From",   "To",     "CharType", "Tag"};

bool InRange(const CUnit& unit, int from, int to) {
    return unit.From == -1 || unit.To == -1 || (unit.From >= from && unit.To <= to);
}

void Put(std::vector<std::string>& ids, int& n, const std::string& id) {
    if (ids.size() == static_cast<size_t>(n)) ids.emplace_back();
    ids[static_cast<size_t>(n++)] = id;
}

}  // namespace

void CUnit::CollectKVInfoEx(std::map<std::string, std::vector<std::string>>& out) {
    out.clear();
    std::vector<std::string> values;
    int n = 0;
    auto collect = [&](const char* name) {
        GetKVs(name, values, n);
        if (n > 0) out[name].assign(values.begin(), values.begin() + n);
    };
    if (UnitType < kUnitChar) {
        for (const char* name : kPlaceholderNames) collect(name);
    } else {
        for (const char* name : kUnitNames) collect(name);
    }
    if (!attributes) return;
    std::map<std::string, std::vector<std::string>> own;
    attributes->CollectKVInfoEx(own);
    for (auto& entry : own) out[entry.first] = std::move(entry.second);
}

int CLattice::KVCount(const char* key) {
    int n = 0;
    keyValues->GetKVs(key, workList, n);
    return n;
}

int CLattice::CheckUnitByKV(int from, int to, const char* condition, std::vector<std::string>& ids, int& n) {
    if (!keyValues || !condition) return 0;
    const bool all = std::strchr(condition, '&') != nullptr;
    if (!all && std::strchr(condition, '|')) return 0;
    std::string key = condition;
    if (all) {
        std::map<std::string, int> counts;
        std::vector<std::string> items;
        SplitStr(condition, "&", items);
        for (const std::string& item : items)
            if (int count = KVCount(item.c_str())) counts.emplace(item, count);
        if (counts.empty()) return 0;
        auto rarest = counts.begin();
        for (auto it = counts.begin(); it != counts.end(); ++it)
            if (it->second < rarest->second) rarest = it;
        key = rarest->first;
    }
    const int count = KVCount(key.c_str());
    if (count == 0) return 0;
    n = 0;
    for (int i = 0; i < count; ++i) {
        const std::string& id = workList[static_cast<size_t>(i)];
        CUnit* unit = GetLatticeUnit(id.c_str());
        if (unit && InRange(*unit, from, to)) Put(ids, n, id);
    }
    return all ? 2 : 1;
}

void CLattice::GetUnitByKV(int from, int to, const char* condition, std::vector<std::string>& ids, int& n) {
    n = 0;
    std::vector<std::string> parts, candidates;
    SplitStr(condition, " ", parts);
    for (const std::string& part : parts) {
        int found = 0;
        const int proof = CheckUnitByKV(from, to, part.c_str(), candidates, found);
        if (proof == 1) {
            for (int i = 0; i < found; ++i) Put(ids, n, candidates[static_cast<size_t>(i)]);
        } else if (proof == 2) {
            for (int i = 0; i < found; ++i) {
                CUnit* unit = GetLatticeUnit(candidates[static_cast<size_t>(i)].c_str());
                if (unit && unit->CheckAtt(part.c_str())) Put(ids, n, candidates[static_cast<size_t>(i)]);
            }
        } else {
            for (int c = 0; c < columnCount; ++c) {
                CCandidate& column = columns[static_cast<size_t>(c)];
                for (int i = reservedUnits; i < column.unitCount; ++i) {
                    CUnit& unit = column.units[static_cast<size_t>(i)];
                    if (unit.CheckAtt(part.c_str())) Put(ids, n, UnitIdText(unit.id));
                }
            }
        }
    }
}

bool CLattice::GetNodeNo(const char* reference, int& from, int& to) {
    from = 0;
    const int last = std::min(pathLength, static_cast<int>(matchPath.size())) - 1;
    if (reference && *reference == '$') {
        if (!GetTagNoInfo(reference + 1, from, to, matchPath, pathLength)) return false;
    } else {
        from = to = reference ? std::atoi(reference) : 0;
        if (from == -1) from = to = last;
    }
    if (from < 0 || from > last || to < 0 || to > last) {
        from = 0;
        to = last;
    }
    return true;
}

bool CMatchNodeEx::Decode(const char* record, int length) {
    // Node number, unit column and unit index as little-endian int32, then
    // the tag; a record too short for them or a tag too long is cut.
    auto readInt = [&](int at) {
        uint32_t value = 0;
        for (int b = 3; b >= 0; --b) value = (value << 8) | static_cast<unsigned char>(record[at + b]);
        return static_cast<int>(value);
    };
    if (!record || length < 12) {
        node = column = index = -1;
        tag.clear();
        return true;
    }
    node = readInt(0);
    column = readInt(4);
    index = readInt(8);
    tag.assign(record + 12, std::min(length - 12, kMatchTagSize - 1));
    return true;
}

}  // namespace zel
