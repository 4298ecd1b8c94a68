#include "zel/rules/match/unit_conditions.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zel/lattice/attribute_names.h"
#include "zel/lattice/attribute_text.h"
#include "zel/lattice/candidate.h"
#include "zel/lattice/condition_items.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/lattice.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/rules/match/condition_tables.h"
#include "zel/rules/match/relation_units.h"

namespace zel {

namespace {

// Relation keys may name units whose values name units again (a unit's own
// "UFoo" holding "UFoo"); a chain deeper than this does not hold.
constexpr int kMaxDepth = 8;

CLattice* LatticeOf(const CUnit& unit) { return unit.column ? unit.column->lattice : nullptr; }

bool StartsWithDigit(const std::string& text) {
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0]));
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
}

// Ends with the suffix, and the suffix starts on a character boundary of
// the GBK text.
bool EndsWithChars(const std::string& text, const std::string& suffix) {
    if (suffix.empty() || suffix.size() > text.size()) return false;
    const size_t at = text.size() - suffix.size();
    if (text.compare(at, suffix.size(), suffix) != 0) return false;
    size_t p = 0;
    while (p < at) p += static_cast<unsigned char>(text[p]) >= 0x80 && p + 1 < text.size() ? 2 : 1;
    return p == at;
}

// The unit's own table holds value under key; a stored "*" holds any value.
bool OwnHas(const CUnit& unit, const std::string& key, const std::string& value) {
    if (!unit.attributes) return false;
    if (unit.attributes->find(key.c_str(), value.c_str())) return true;
    std::vector<std::string> values;
    int n = 0;
    unit.attributes->GetKVs(key.c_str(), values, n);
    return std::find(values.begin(), values.begin() + n, "*") != values.begin() + n;
}

// The own table holds value under one of the keys, or a key equals it.
bool OwnHasUnderOrIs(const CUnit& unit, const std::vector<std::string>& keys, const std::string& value) {
    for (const std::string& key : keys)
        if (key == value || OwnHas(unit, key, value)) return true;
    return false;
}

std::vector<std::string> Links(const std::vector<UnitId>& ids, int count) {
    std::vector<std::string> texts;
    for (int k = 0; k < count && k < static_cast<int>(ids.size()); ++k)
        texts.push_back(LinkIdText(ids[static_cast<size_t>(k)].first, ids[static_cast<size_t>(k)].second));
    return texts;
}

// A relation given as "(%d %d)": equal to one of the links when the value
// has that form, otherwise a value the unit stores under one of them.
bool LinkTest(const CUnit& unit, const std::vector<std::string>& links, const std::string& value) {
    for (const std::string& link : links)
        if (value[0] == '(' ? link == value : OwnHas(unit, link, value)) return true;
    return false;
}

bool ShareAt(CUnit& unit, CUnit& other, const char* key, int depth);

class Decider {
public:
    Decider(const ConditionContext& context, int depth) : context_(context), depth_(depth) {}

    bool Satisfies(CUnit& unit, const std::string& key, const std::string& value) {
        if (key.empty() || value.empty() || depth_ > kMaxDepth) return false;
        std::string k = ReplaceUThis(unit, key);
        const std::string v = ReplaceUThis(unit, value);
        const bool negate = !k.empty() && k.back() == '!';
        if (negate) k.pop_back();
        const bool holds = !k.empty() && Decide(unit, k, v);
        return negate ? !holds : holds;
    }

private:
    bool Deeper(CUnit& unit, const std::string& key, const std::string& value,
                const ConditionContext& context) const {
        return Decider(context, depth_ + 1).Satisfies(unit, key, value);
    }

    bool Decide(CUnit& u, const std::string& key, const std::string& value) {
        CLattice* lattice = LatticeOf(u);
        std::vector<std::string> units;

        // "expression:key2" as key: some unit the expression names satisfies key2=value.
        size_t colon = key.find(':');
        if (colon != std::string::npos) {
            GetSatisfyUnits(u, context_, key.substr(0, colon).c_str(), units);
            for (const std::string& id : units) {
                CUnit* x = lattice ? lattice->GetLatticeUnit(id.c_str()) : nullptr;
                if (x && Deeper(*x, key.substr(colon + 1), value, context_)) return true;
            }
            return false;
        }
        // "expression:key2" as value: compared with what key2 gives for the
        // first unit the expression names.
        colon = value.find(':');
        if (colon != std::string::npos) {
            GetSatisfyUnits(u, context_, value.substr(0, colon).c_str(), units);
            CUnit* x = units.empty() || !lattice ? nullptr : lattice->GetLatticeUnit(units[0].c_str());
            if (!x) return false;
            const std::string key2 = value.substr(colon + 1);
            std::vector<std::string> candidates;
            GetSatisfyUnits(*x, {}, key2.c_str(), candidates);
            if (candidates.empty()) {
                int n = 0;
                x->GetKVs(key2.c_str(), candidates, n);
                candidates.resize(static_cast<size_t>(n));
            }
            for (const std::string& candidate : candidates)
                if (Deeper(u, key, candidate, context_)) return true;
            return false;
        }
        // A relation key as value: one of the units it names.
        if (value[0] == 'U') {
            GetSatisfyUnits(u, context_, value.c_str(), units);
            if (!units.empty()) {
                for (const std::string& id : units)
                    if (Deeper(u, key, id, context_)) return true;
                return false;
            }
        }
        CUnit* r = lattice ? lattice->GetLatticeUnit(value.c_str()) : nullptr;
        Switch_Type code;
        if (LookupKeyList(key.c_str(), code)) return value[0] == '*' || BuiltIn(u, r, code, key, value);
        return Other(u, r, key, value);
    }

    bool BuiltIn(CUnit& u, CUnit* r, Switch_Type code, const std::string& key, const std::string& value) {
        const std::string& word = u.GetWord();
        const int number = std::atoi(value.c_str());
        switch (code) {
            case SW_Word:
                return word == value || (r && r->GetWord() == word) || (TableAsked(value) && WordInTable(word, value));
            case SW_HeadWord:
                return u.HeadWord == value || (r && r->HeadWord == word) ||
                       (TableAsked(value) && UnitInTable(u, value));
            case SW_Prefix:
                return StartsWith(word, value) || (r && StartsWith(word, r->GetWord())) ||
                       (TableAsked(value) && TableWordBegins(word, value));
            case SW_Suffix:
                return EndsWithChars(word, value) || (r && EndsWithChars(word, r->GetWord())) ||
                       (TableAsked(value) && TableWordEnds(word, value));
            case SW_ChunkID:
                return r ? r->ChunkID == u.ChunkID : StartsWithDigit(value) && number == u.ChunkID;
            case SW_ClauseID:
                return r ? r->ClauseID == u.ClauseID : StartsWithDigit(value) && number == u.ClauseID;
            case SW_GroupID:
                return r ? ShareAt(u, *r, "GroupID", depth_ + 1) : OwnHas(u, key, value);
            case SW_ChunkPos: {
                CLattice* lattice = LatticeOf(u);
                CUnit* chunk = lattice ? lattice->GetLatticeUnit(u.UChunk.c_str()) : nullptr;
                if (!chunk) return false;
                if (value == "Beg") return u.From == chunk->From;
                if (value == "End") return u.To == chunk->To;
                if (value == "In") return u.From != chunk->From && u.To != chunk->To;
                return false;
            }
            case SW_ClausePos: {
                const int pos = u.column ? u.column->posCode : -1;
                if (value == "End") return pos == kPosBeforePunc || pos == kPosSentenceLast;
                if (value == "Beg") return pos == kPosClauseFirst || pos == kPosSentenceFirst;
                return false;
            }
            case SW_From:
                return (StartsWithDigit(value) && number == u.From) || (r && r->From == u.From);
            case SW_To:
                return (StartsWithDigit(value) && number == u.To) || (r && r->To == u.To);
            case SW_Len:
                return static_cast<int>(word.size() / 2) == number;
            case SW_Unit:
                return OwnHasUnderOrIs(u, {u.Unit}, value);
            case SW_UChunk:
                return OwnHasUnderOrIs(u, {u.UChunk}, value);
            case SW_ULeftChar:
                return OwnHasUnderOrIs(u, {u.ULeftChar}, value);
            case SW_URightChar:
                return OwnHasUnderOrIs(u, {u.URightChar}, value);
            case SW_USegFrom:
                return OwnHasUnderOrIs(u, {u.USegFrom}, value);
            case SW_ULeft:
                return r && r->To == u.From - 1;
            case SW_ULefts:
                return r && r->To < u.From;
            case SW_ULeftChunk:
                return r && r->To < u.From && r->ChunkID == u.ChunkID;
            case SW_ULeftClause:
                return r && r->To < u.From && r->ClauseID == u.ClauseID;
            case SW_URight:
                return r && r->From == u.To + 1;
            case SW_URights:
                return r && r->From > u.To;
            case SW_URightChunk:
                return r && r->From > u.To && r->ChunkID == u.ChunkID;
            case SW_URightClause:
                return r && r->From > u.To && r->ClauseID == u.ClauseID;
            case SW_UEntry:
                return OwnHasUnderOrIs(u, {context_.entry ? context_.entry : ""}, value);
            case SW_UColl:
                return OwnHasUnderOrIs(u, {context_.extra ? context_.extra : ""}, value);
            case SW_UParent:
                return LinkTest(u, Links(u.links.treeParents, u.links.treeParentCount), value);
            case SW_UChild:
                return LinkTest(u, Links(u.links.treeChildren, u.links.treeChildCount), value);
            case SW_UHeadPhr:
                return u.links.head.first >= 0 &&
                       LinkTest(u, {LinkIdText(u.links.head.first, u.links.head.second)}, value);
            default:
                return OwnHas(u, key, value);
        }
    }

    bool Other(CUnit& u, CUnit* r, const std::string& key, const std::string& value) {
        if (key == "Type" && value == "HZ") return true;
        if (key[0] == '(' && value[0] == '(') return key == value;
        if (key == "URoot") {
            CLattice* lattice = LatticeOf(u);
            if (value[0] == '(') return lattice && lattice->keyValues && lattice->keyValues->find("URoot", value.c_str());
            if (value[0] == 'R') {
                std::vector<std::string> roots;
                GetSatisfyUnits(u, context_, "URoot", roots);
                for (const std::string& root : roots)
                    if (OwnHas(u, root, value)) return true;
                return false;
            }
        }
        if (value[0] == '(') {
            if (!r) return false;
            std::vector<std::string> values;
            int n = 0;
            r->GetKVs(key.c_str(), values, n);
            for (int k = 0; k < n; ++k)
                if (OwnHas(u, key, values[static_cast<size_t>(k)])) return true;
            return false;
        }
        return OwnHas(u, key, value);
    }

    // Table tests are asked only for a value that can name a table.
    static bool TableAsked(const std::string& value) { return NamesTable(value); }

    const ConditionContext& context_;
    int depth_;
};

bool ShareAt(CUnit& unit, CUnit& other, const char* key, int depth) {
    CLattice* lattice = LatticeOf(unit);
    if (!lattice || depth > kMaxDepth) return false;
    CUnit* mine = lattice->GetLatticeUnit(unit.UChunk.c_str());
    CUnit* theirs = lattice->GetLatticeUnit(other.UChunk.c_str());
    if (!mine || !theirs) return false;
    std::vector<std::string> values;
    int n = 0;
    mine->GetKVs(key, values, n);
    const ConditionContext none;
    for (int k = 0; k < n; ++k)
        if (Decider(none, depth).Satisfies(*theirs, key, values[static_cast<size_t>(k)])) return true;
    return false;
}

bool OutsideAnyMatch(CUnit& unit, const char* key, const char* value) { return IsSatisfy(unit, key, value); }

// The lattice's own condition test runs on these rules once the rule
// library is loaded.
const bool g_installed = (SetUnitTestHook(&OutsideAnyMatch), true);

}  // namespace

bool IsSatisfy(CUnit& unit, const char* key, const char* value, const ConditionContext& context) {
    if (!key || !value) return false;
    return Decider(context, 0).Satisfies(unit, key, value);
}

bool CheckAttItem(CUnit& unit, const char* item, const ConditionContext& context) {
    std::string key, value;
    SplitConditionItem(item, key, value);
    CLattice* lattice = LatticeOf(unit);
    if (lattice && lattice->keyValues && !unit.Unit.empty() &&
        lattice->keyValues->IsKV2Unit(key.c_str(), value.c_str(), unit.Unit.c_str()))
        return true;
    return IsSatisfy(unit, key.c_str(), value.c_str(), context);
}

bool CheckAtt(CUnit& unit, const char* condition, const ConditionContext& context) {
    return CheckConditionItems(condition, [&](const char* item) { return CheckAttItem(unit, item, context); });
}

bool IsShare(CUnit& unit, CUnit& other, const char* key) { return key && ShareAt(unit, other, key, 0); }

bool IsInLimit(CUnit& unit, CUnit* other, const char* limit) {
    if (!limit || !*limit || *limit == '*') return true;
    ConditionContext context;
    context.extra = other ? other->Unit.c_str() : nullptr;
    return CheckAtt(unit, limit, context);
}

bool IsLimit(CUnit& unit, CUnit* other, const CKVTable* table, const char* text) {
    std::vector<std::string> limits;
    std::vector<std::string> values;
    int n = 0;
    if (table) {
        table->GetKVs("Limit", values, n);
        limits.assign(values.begin(), values.begin() + n);
    }
    if (text && std::strstr(text, "Limit")) {
        CKVTable parsed;
        parsed.Insert2KV(text);
        parsed.GetKVs("Limit", values, n);
        limits.insert(limits.end(), values.begin(), values.begin() + n);
    }
    for (const std::string& limit : limits)
        if (IsInLimit(unit, other, limit.c_str())) return true;
    return limits.empty();
}

}  // namespace zel
