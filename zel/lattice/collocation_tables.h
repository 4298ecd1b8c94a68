// What collocation asks of the process's loaded word tables. The word
// tables and their matchers belong to the rule library, above the lattice;
// it implements this interface over its table cluster and installs it
// with SetCollocationTables at start-up. Without one, collocation finds
// nothing.
#pragma once

#include <string>
#include <vector>

namespace zel {

class CKVTable;
class CLattice;
class CUnit;

// One table word found in a lattice.
struct CollMatch {
    std::string word;    // the matched table word
    std::string value;   // the item's attribute text
    std::string unitId;  // a unit covering the match exactly, or empty
    int column = -1;     // the column of its last character
};

class CollocationTables {
public:
    virtual ~CollocationTables() = default;

    // Words of the table found from column c0 rightwards (at most ten);
    // out is emptied first. unit: the current unit of unit conditions, or
    // null. false when the table is missing or nothing was found.
    virtual bool IsStrMidEx(CLattice& lattice, const char* table, int c0, std::vector<CollMatch>& out,
                            CUnit* unit) = 0;
    // The same from column c0 leftwards, appended to out; false for a
    // negative column or a missing table.
    virtual bool IsStrMid_R2LEx(CLattice& lattice, const char* table, int c0, std::vector<CollMatch>& out,
                                CUnit* unit) = 0;
    // Units whose head word differs from their word and is a table word,
    // appended to out; whether the table exists.
    virtual bool IsStrMidUnit(CLattice& lattice, const char* table, std::vector<CollMatch>& out) = 0;
    // The attribute text of the table's item word; false when the table or
    // the item is missing.
    virtual bool IsStrEqual(const char* table, const char* word, std::string& value) = 0;
    // The attribute text the table holds for the unit: its word's item, its
    // head word's item, the item-KV entries it meets, then "#Global"; false
    // when the table is missing or none applies.
    virtual bool IsUnitEqual(CUnit& unit, const char* table, std::string& value) = 0;
    // The loaded table prefix + "_" + the unit's word, else + "_" + one of
    // its "Syn" values; out = the name.
    virtual bool GetTable(CLattice& lattice, const char* prefix, CUnit& unit, std::string& out) = 0;
    // Whether the unit meets the "Limit" conditions of config and of text
    // (attribute text); other is the unit it is tested against, or null.
    virtual bool IsLimit(CLattice& lattice, CUnit& unit, CUnit* other, const CKVTable& config,
                         const char* text) = 0;
};

// The installed tables (not owned), or null.
CollocationTables* GetCollocationTables();
void SetCollocationTables(CollocationTables* tables);

}  // namespace zel
