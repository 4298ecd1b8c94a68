// CUnit: one analysis result covering columns From..To of a lattice, stored
// in the column of its last character. Fixed fields hold the word, span,
// chunk and clause numbers and the identifier texts of related units; any
// other attribute lives in the unit's own key-value table, which the
// lattice owns and frees.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "zel/lattice/rule_info.h"

namespace zel {

class CCandidate;
class CKVTable;

// (column, index) of a unit; (-1, -1) for none.
using UnitId = std::pair<int, int>;

// Unit kinds.
enum : int {
    kUnitPlaceholder = 1,
    kUnitChar = 2,
    kUnitWord = 3,
    kUnitPhrase = 4,
    kUnitChunk = 5,
    kUnitSent = 6,
    kUnitTree = 7,
    kUnitReChunk = 8,  // added as a word
};

// Texts hold at most these sizes less one byte; longer ones are cut.
constexpr size_t kUnitTextSize = 51200;
constexpr size_t kUnitIdSize = 64;

// Assigns text cut to field - 1 bytes.
void AssignCut(std::string& to, const char* text, size_t field);
// "(%d,%d)"
std::string UnitIdText(UnitId id);

// Reused lists: entries at and above a count are stale.
struct CUnitStruct {
    UnitId head{-1, -1};
    std::vector<UnitId> dependents;
    int dependentCount = 0;
    std::vector<UnitId> treeChildren;
    int treeChildCount = 0;
    std::vector<UnitId> treeParents;
    int treeParentCount = 0;
};

class CUnit {
public:
    CCandidate* column = nullptr;
    std::string Word;
    std::string HeadWord;
    int UnitType = 0;
    UnitId id{-1, -1};
    int From = -1;
    int To = -1;
    int nodeNo = -1;  // tree node the unit was made from
    int ruleCount = 0;  // rule networks attached by the rule engine
    std::vector<CRuleInfo> ruleInfos;  // entries at and above ruleCount are stale
    int ChunkID = -1;
    int ClauseID = -1;
    std::string Unit;
    std::string UChunk;
    std::string ULeftChar;
    std::string URightChar;
    std::string USegFrom;
    std::string POS;
    CUnitStruct links;
    CKVTable* attributes = nullptr;  // owned by the lattice
    CKVTable* features = nullptr;    // owned by the lattice

    // Ready for reuse: links and texts empty, span and numbers -1, the
    // attribute and feature tables emptied but kept. Kind, identifier and
    // node number are the caller's to set.
    void ClearUnit();

    bool SetWord(const char* word);
    bool SetHeadWord(const char* word, int);
    bool SetPOS(const char* pos);

    // The word; for a placeholder with index 0 or below, first replaced by
    // the span it records (empty for index 0).
    const std::string& GetWord();
    const std::string& GetHeadWord();

    // Built-in names set their field, any other key goes to the unit's own
    // table (made on first use); once the unit has an identifier text the
    // pair is entered in the lattice's unit index as well.
    void Insert2UnitKV(const char* key, const char* value);
    // Every item of an attribute text; a bare item is a value of "Tag".
    void Insert2UnitKV(const char* attributes);

    // Entries naming the other end of a relation: on the head side (other
    // is the dependent) or the dependent side; the kind is not stored.
    // Nothing for a link to the unit itself.
    void InsertRelationInfo(const char* other, const char* source, const char* kind, const char* name,
                            bool isHead);

    // Built-in attributes of the unit's kind, then its own table, which
    // replaces built-in names it also holds.
    void CollectKVInfoEx(std::map<std::string, std::vector<std::string>>& out);

    // ---- reading and testing attributes (unit_attributes.cpp) ----
    // n = the count of the key's values in values[0..n-1]; built-in names
    // are computed from fields and neighbours.
    void GetKVs(const char* key, std::vector<std::string>& values, int& n);
    // Items joined by '&' (all hold) or '|' (one holds), or one item.
    bool CheckAtt(const char* condition);
    bool CheckAttItem(const char* item);
    // Appends the bracketed subtree: "[Word]" or "[Label[child]...]".
    void GetTree(std::string& out);
    // format 4 "Word/POS", 1 "Word POS"; out unchanged for other formats.
    void GetUnitPOSInfo(std::string& out, int format) const;
    // "Word/" and the condition, or for key=* (key=) the key's own values
    // joined by '_'.
    void GetUnitPOSInfo(std::string& out, const char* condition) const;

private:
    std::string SpanText() const;
};

}  // namespace zel
