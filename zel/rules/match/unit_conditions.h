// Unit conditions: whether a lattice unit satisfies a condition text, item
// by item, against the built-in keys (the unit's fields, its place in the
// lattice, its relations to other units), word tables and the unit's own
// key-values.
#pragma once

#include <string>

namespace zel {

class CKVTable;
class CUnit;

// What a condition may ask of the rule match in progress: the unit of the
// state reached from the current state's index by steps parent links in
// the backward (or forward) match graph; null when there is none.
class MatchStateView {
public:
    virtual ~MatchStateView() = default;
    virtual CUnit* UnitAfterSteps(bool backward, int steps) const = 0;
};

// Where a condition is asked: the match state (or none), the entry unit's
// identifier text ("UEntry") and an extra identifier text given by the
// caller ("UColl"); null texts count as empty.
struct ConditionContext {
    const MatchStateView* state = nullptr;
    const char* entry = nullptr;
    const char* extra = nullptr;
};

// Items joined by '&' (all hold) or '|' (one holds), or a single item.
bool CheckAtt(CUnit& unit, const char* condition, const ConditionContext& context = {});
// True when the lattice's unit index records key=value for the unit,
// otherwise IsSatisfy.
bool CheckAttItem(CUnit& unit, const char* item, const ConditionContext& context = {});
// Whether the unit satisfies key=value. A key ending in '!' negates; an
// empty key or value never holds.
bool IsSatisfy(CUnit& unit, const char* key, const char* value, const ConditionContext& context = {});

// Both units have chunk units, and the second one's chunk satisfies some
// value of the key in the first one's chunk.
bool IsShare(CUnit& unit, CUnit& other, const char* key);

// The value of a "Limit" holds for the unit: an empty limit or one
// starting with '*' always; otherwise the condition, with the other unit's
// identifier text as the extra text.
bool IsInLimit(CUnit& unit, CUnit* other, const char* limit);
// Some "Limit" value of the table, then of the text read as attribute text
// (when it holds "Limit"), holds for the unit; true also when there are no
// "Limit" values at all.
bool IsLimit(CUnit& unit, CUnit* other, const CKVTable* table, const char* text);

}  // namespace zel
