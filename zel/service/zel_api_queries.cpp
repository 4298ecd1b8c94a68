// Exported queries of a lattice: its text, words, unit ids, the grid, unit
// and relation key-values.
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "include/zellib.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/match/unit_expressions.h"
#include "zel/service/answer_rules.h"

namespace zel {
namespace {

using KeyMap = std::map<std::string, std::vector<std::string>>;

CLattice* Of(void* handle) { return static_cast<CLattice*>(handle); }

// The characters of columns from..to of the normalised sentence, every
// column taking two bytes; empty for a span that starts before it.
std::string SpanWord(const CLattice& lattice, int column, int index) {
    const int start = column + index;
    if (start < -1) return {};
    const size_t offset = static_cast<size_t>(2 * (start + 1));
    if (offset >= lattice.normSentence.size()) return {};
    return lattice.normSentence.substr(offset, static_cast<size_t>(-2 * index));
}

std::string WordOf(CLattice& lattice, const std::string& reference) {
    int index = 0;
    CUnit* unit = lattice.GetUnit(reference.c_str(), index);
    if (!unit) return {};
    if (index < 0) return SpanWord(lattice, unit->id.first, index);
    if (unit->id.second < 0) return SpanWord(lattice, unit->id.first, unit->id.second);
    return unit->Word;
}

// Drops the lattice's own index entries (key=value -> units) from a map.
KeyMap WithoutIndexEntries(KeyMap map) {
    for (auto it = map.begin(); it != map.end();)
        it = it->first.find('=') == std::string::npos ? std::next(it) : map.erase(it);
    return map;
}

int AnswerList(const std::vector<std::string>& gbk, int count, char* out, int size) {
    return AnswerJson(JsonListGbk(gbk, count), out, size);
}

std::string Condition(const char* utf8) {
    std::string condition = ToGbk(utf8).substr(0, 1023);
    TransferKV(condition);
    return condition;
}

}  // namespace
}  // namespace zel

using namespace zel;

extern "C" {

int ZEL_GetText(void* handle, char* out, int size) {
    if (!handle) return 0;
    return AnswerText(ToUtf8(Of(handle)->sentence), out, size);
}

int ZEL_GetTextByRange(void* handle, int from, int to, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    if (to == -1) to = lattice->columnCount - 1;
    if (to < from || from < 0 || to >= lattice->columnCount) return AnswerEmpty(out, size);
    std::string text;
    for (int c = from; c <= to; ++c) text += lattice->columns[static_cast<size_t>(c)].text;
    return AnswerText(ToUtf8(text), out, size);
}

int ZEL_GetWord(void* handle, const char* reference, char* out, int size) {
    if (!handle) return 0;
    const std::string word = WordOf(*Of(handle), ToGbk(reference));
    if (word.empty()) return AnswerEmpty(out, size);
    return AnswerText(ToUtf8(word), out, size);
}

int ZEL_GetTextByUnit(void* handle, const char* unitText, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string spec = ToGbk(unitText);
    std::string text;
    if (spec.find('=') != std::string::npos)
        text = lattice->GetLatticeString(spec.c_str());
    else if (!spec.empty() && spec[0] == '(')
        text = WordOf(*lattice, spec);
    if (text.empty()) return AnswerEmpty(out, size);
    return AnswerText(ToUtf8(text), out, size);
}

int ZEL_GetUnitByRange(void* handle, int column, int row, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    if (column < 0 || column >= lattice->columnCount || row < 0 ||
        row >= lattice->columns[static_cast<size_t>(column)].unitCount)
        return AnswerEmpty(out, size);
    return AnswerText(UnitIdText({column, row}), out, size);
}

int ZEL_GetGrid(void* handle, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    std::vector<std::vector<std::string>> grid;
    for (int c = 0; c < lattice->columnCount; ++c) {
        const CCandidate& column = lattice->columns[static_cast<size_t>(c)];
        std::vector<std::string>& ids = grid.emplace_back();
        for (int i = lattice->reservedUnits; i < column.unitCount; ++i)
            ids.push_back(UnitIdText(column.units[static_cast<size_t>(i)].id));
    }
    return AnswerJson(JsonLists(grid), out, size);
}

int ZEL_GetUnitsByKV(void* handle, const char* expression, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string gbk = ToGbk(expression);
    std::vector<std::string> ids;
    int count = 0;
    if (gbk.empty()) {
        for (int c = 0; c < lattice->columnCount; ++c) {
            const CCandidate& column = lattice->columns[static_cast<size_t>(c)];
            for (int i = lattice->reservedUnits; i < column.unitCount; ++i)
                ids.push_back(UnitIdText(column.units[static_cast<size_t>(i)].id));
        }
        count = static_cast<int>(ids.size());
    } else if (gbk.rfind("URoot", 0) == 0 && gbk.find('=') == std::string::npos) {
        RootExpress2Units(*lattice, gbk, ids);
        count = static_cast<int>(ids.size());
    } else {
        lattice->GetUnitByKV(0, lattice->columnCount - 1, Condition(expression).c_str(), ids, count);
    }
    return AnswerList(ids, count, out, size);
}

int ZEL_GetUnitsByNo(void* handle, const char* unitId, const char* expression, const char* condition, char* out,
                     int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    CUnit* unit = lattice->GetLatticeUnit(ToGbk(unitId).c_str());
    if (!unit) return AnswerEmpty(out, size);
    std::vector<std::string> ids;
    const std::string gbkCondition = condition && *condition ? Condition(condition) : std::string();
    UExpress2UnitsCondition(*lattice, *unit, ToGbk(expression), gbkCondition, ids);
    return AnswerList(ids, static_cast<int>(ids.size()), out, size);
}

int ZEL_GetUnits(void* handle, char* out, int size) { return ZEL_GetUnitsByKV(handle, "", out, size); }

int ZEL_GetGridKVs(void* handle, const char* key, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string gbk = ToGbk(key);
    if (!lattice->keyValues || (!gbk.empty() && gbk[0] == '(')) return AnswerEmpty(out, size);
    if (gbk.empty()) {
        KeyMap map;
        lattice->keyValues->CollectKVInfoEx(map);
        return AnswerJson(JsonListMapGbk(WithoutIndexEntries(std::move(map))), out, size);
    }
    std::vector<std::string> values;
    int count = 0;
    lattice->keyValues->GetKVs(gbk.c_str(), values, count);
    return AnswerList(values, count, out, size);
}

int ZEL_GetLog(void* handle, char* out, int size) { return ZEL_GetGridKVs(handle, "Log", out, size); }

int ZEL_GetUnitKVs(void* handle, const char* reference, const char* key, char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    int index = 0;
    CUnit* unit = lattice->GetUnit(ToGbk(reference).c_str(), index);
    if (!unit) return AnswerEmpty(out, size);
    const std::string gbk = ToGbk(key);
    if (gbk.empty()) {
        KeyMap map;
        unit->CollectKVInfoEx(map);
        // Built-in attributes without a value are left out.
        for (auto it = map.begin(); it != map.end();)
            it = it->second.size() == 1 && it->second.front().empty() ? map.erase(it) : std::next(it);
        return AnswerJson(JsonListMapGbk(map), out, size);
    }
    std::vector<std::string> values;
    int count = 0;
    unit->GetKVs(gbk.c_str(), values, count);
    if (count == 0) return AnswerEmpty(out, size);
    return AnswerList(values, count, out, size);
}

int ZEL_GetRelations(void* handle, const char* attribute, char* out) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const std::string gbk = ToGbk(attribute);
    std::vector<std::string> keys;
    if (!gbk.empty()) {
        int count = 0;
        if (lattice->keyValues) lattice->keyValues->GetKVs((gbk + "@").c_str(), keys, count);
        keys.resize(static_cast<size_t>(count));
    } else if (lattice->relations) {
        for (int i = 0; i < lattice->relations->RelationCount(); ++i)
            keys.push_back(lattice->relations->RelationAt(i).key);
    }
    if (keys.empty()) return AnswerEmpty(out, ZEL_LIST_ANSWER_BYTES);
    std::vector<std::vector<std::string>> relations;
    for (const std::string& key : keys) {
        std::string head, dependent, name;
        SplitRelation(key.c_str(), head, dependent, name);
        relations.push_back({head, dependent, ToUtf8(name)});
    }
    return AnswerText(JsonLists(relations), out, ZEL_LIST_ANSWER_BYTES);
}

int ZEL_GetRelationKVs(void* handle, const char* head, const char* dependent, const char* relation, const char* key,
                       char* out, int size) {
    CLattice* lattice = Of(handle);
    if (!lattice) return 0;
    const char* text =
        lattice->GetRelationKVStr(ToGbk(head).c_str(), ToGbk(dependent).c_str(), ToGbk(relation).c_str());
    if (!text) return AnswerEmpty(out, size);
    CKVTable attributes;
    attributes.Insert2KV(text);
    const std::string gbk = ToGbk(key);
    if (gbk.empty()) {
        KeyMap map;
        attributes.CollectKVInfoEx(map);
        return AnswerJson(JsonListMapGbk(WithoutIndexEntries(std::move(map))), out, size);
    }
    std::vector<std::string> values;
    int count = 0;
    attributes.GetKVs(gbk.c_str(), values, count);
    return AnswerList(values, count, out, size);
}

}  // extern "C"
