// CLattice: everything the grammar library knows about one sentence. The
// normalised sentence is cut into columns, one per two-byte character;
// every analysis result is a unit stored in the column of its last
// character. A lattice owns its Lua state (where rule actions run), a
// message buffer, two key-value tables (relations; lattice-wide values and
// the unit index) and up to three nested lattices below it, which share the
// top lattice's Lua state and message buffer.
//
// Members are grouped by the part of the library that works on them; each
// group's operations live in their own source file (lattice_life.cpp: set-up
// and tear-down, lattice_build.cpp: building from text).
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zel/lattice/bt_lattice_sentence.h"
#include "zel/lattice/candidate.h"
#include "zel/lattice/kv_table.h"
#include "zel/lattice/rule_info.h"
#include "zel/lattice/unit.h"
#include "zel/models/bt_parser.h"
#include "zel/models/crf_column.h"

struct lua_State;

namespace zel {

class CRuleNet;
class CQAVTree;
class CCRFModel;
struct CollMatch;

// The collocation configuration of one table: the attribute text of its
// "#Global" item; its "Limit" values are the conditions a unit must meet.
using CConfigColl = CKVTable;

// Leaves one new Lua table on the stack: each key of the attribute text
// (a bare item under "Tag") holding the array of its values; values = the
// same as lists. Returns 1.
int NewOperation2Table(lua_State* L, const char* attributes, std::map<std::string, std::vector<std::string>>& values);

// Size of a lattice's message buffer.
constexpr size_t kLatticeMsgSize = 1048576;
// A lattice with more ancestors than this is not set up.
constexpr int kMaxAncestors = 2;

// "a,b" -> a and b; "a" -> a and a.
void GetFromTo(const char* text, int& from, int& to);

// Head id, dependent id and name written one after the other.
std::string RelationKey(const char* head, const char* dependent, const char* name);
// Up to the first ')', up to the second ')', and the rest.
void SplitRelation(const char* key, std::string& head, std::string& dependent, std::string& name);

constexpr int kMatchTagSize = 512;

// One node of a completed rule match.
struct CMatchNodeEx {
    std::string tag;  // at most 511 bytes
    int column = -1;
    int index = -1;
    int node = -1;

    // From a node record of length bytes: node number, unit column and
    // unit index as little-endian int32, then the tag.
    bool Decode(const char* record, int length);
};

class CLattice {
public:
    CLattice();
    // Frees everything the lattice owns (its Lua state unless it shares its
    // parent's, tables, buffer, unit tables and nested lattices), whether or
    // not LatticeExit ran first.
    ~CLattice();
    CLattice(const CLattice&) = delete;
    CLattice& operator=(const CLattice&) = delete;

    // ---- set-up and tear-down (lattice_life.cpp) ----
    // Empties this lattice and the chain below it; with full, first creates
    // what is missing (buffer, tables, Lua state, one child). false only
    // when full set-up is refused for a lattice with more than two
    // ancestors (which is still emptied).
    bool LatticeInit(bool full);
    // With full, releases this lattice's tables, buffer, Lua state and unit
    // tables; always destroys the nested lattices below it.
    bool LatticeExit(bool full);
    // A new, empty table for a unit's attributes or features, freed with
    // the lattice's unit tables.
    CKVTable* NewUnitTable();
    CLattice* child() const { return child_.get(); }
    CLattice* parent() const { return parent_; }
    void SetLogon() { logOn = true; }

    // ---- building from text (lattice_build.cpp) ----
    // false for an empty text; rebuilds only when the normalised text
    // differs from the current one (or the lattice was never set up).
    bool LatticeBuild(const char* text);
    // The columns with their placeholder and character units.
    bool BuildInitLattice(const char* text);

    // ---- adding and reducing units (lattice_units.cpp) ----
    // Adds (or, with reuse, finds by word) a unit ending at column c and
    // gives its identifier text in outId; attributes "NONE" adds nothing
    // new. false only for a column outside the lattice.
    bool AddNewUnit(int c, const char* word, int kind, std::string& outId, int node, bool reuse,
                    const char* attributes);
    // A new unit takes the attributes the lexicon table holds for it.
    void AddLexiconAttributes(CUnit& unit);
    // Whether from..to may become a unit without cutting through the latest
    // units at its ends; covering = a single unit reaching beyond it.
    bool IsSegment(int from, int to, CUnit*& covering);
    // One word unit over match positions from..to (the whole match when
    // either is outside it); false for an empty match.
    bool Reduce(int from, int to, std::string& outId);
    // Words of the part-of-speech dictionary over the whole sentence.
    bool LookupDictForSeg();

    // ---- relations (relations.cpp) ----
    // A relation is keyed by head id, dependent id and name written one
    // after the other; its record holds attribute text and a score.
    bool AddRelation(const char* head, const char* dependent, const char* name);
    // key=value, or with an empty value every item of the attribute text
    // key; each pair also indexes the relation under pair + '@'.
    void AddRelationKV(const char* head, const char* dependent, const char* name, const char* key,
                       const char* value);
    // Null when the relation is absent.
    const char* GetRelationKVStr(const char* head, const char* dependent, const char* name);
    float GetRelationScore(const char* head, const char* dependent, const char* name);
    void AddRelationScore(const char* head, const char* dependent, const char* name, int score);
    // A feature keeps its first weight.
    void AddRoleFeature2Score(const char* head, const char* dependent, const char* name, const char* feature,
                              int weight);
    void GetFeature2Score(const char* head, const char* dependent, const char* name,
                          std::vector<std::pair<std::string, int>>& features, int& n);
    // The value of the unit's attribute role with the best relation score
    // above -10; empty when none.
    std::string GetBestArg(const char* unitId, const char* role);
    // For each "CollRole" value with a best argument: appends both.
    void GetBestArg(const char* unitId, std::vector<std::string>& roles, std::vector<std::string>& args);

    // ---- text output and logs (lattice_text.cpp) ----
    // The whole sentence: units chosen right to left by the condition are
    // written as "Word/condition", uncovered characters as they stand.
    std::string GetLatticeString(const char* condition);
    // The whole sentence with the units chosen in columns from..to written
    // as "[word/POS]" (format 4) or "[word POS]" (format 1).
    std::string GetLatticeString(const char* condition, int from, int to, int format);
    // Only columns from..to: chosen units as "word/POS " and the gaps.
    std::string GetLatticeInfo(const char* condition, int from, int to);
    // "[Root" with "[POS inner text]" for each chunk of the chunk chain, "]".
    std::string Chunk2Tree();
    // Words from the unit up its head links; head = the last one reached.
    // A reference that is not an identifier text is itself the word.
    void GetHeadInfo(const char* reference, std::vector<std::string>& chain, std::string& head);
    // Log lines are values of "Log" in the key-value table.
    bool CollectLog(std::vector<std::string>& lines);
    bool AddLog(const std::vector<std::string>& lines);

    // ---- bracketing trees (lattice_trees.cpp) ----
    // The parser's builds over this lattice's columns.
    bool CreateBT(int mode, int first, int last);
    bool CreateBT_Simple(bool unitFlag, int first, int last);
    // Clause ranges (first column, column after the last) of the stretches
    // between full-width commas.
    void SplitSentence();
    // Without a tree line the one range (0, last column); with one the span
    // (first, last) of every node whose first child is a leaf and that
    // covers at least five columns, in node order.
    void SplitSentenceEx();
    // Attaches a tree reader (not owned; null detaches it).
    void SetQAVTree(CQAVTree* tree) { qavTree = tree; }
    // b's tree node is the next sibling of a's in the attached tree.
    bool IsTreeLink(const CUnit& a, const CUnit& b) const;

    // ---- CRF segmentation (lattice_crf.cpp) ----
    // Segments the sentence with the model: word units already in the
    // lattice fix the tags of their columns (with userTable the columns
    // inside them and a word end before them), and the words found are
    // added as word units. false without a model.
    bool CRFSeg(const CCRFModel* model, bool userTable);
    // The search columns with the tags the word units allow.
    void InitSeg(const CCRFModel& model, bool userTable);
    // The words of the tagged columns as word units.
    void AddSegUnit(const CCRFModel& model);

    // ---- collocation (collocation.cpp) ----
    // Relates the table's words found in the sentence (anchors) to the
    // words of the tables their collocation kinds name, on both sides of
    // them. false when no tables are installed or no anchor was found.
    bool Collocation(const char* table, const char* second, const char* source);
    // config = the attribute text of the table's "#Global" item (empty
    // without one).
    void SetGlobalInfo(CConfigColl& config, const char* table);
    // Every value of every key of config onto the unit.
    void Globa2Unit(const CConfigColl& config, CUnit& unit);
    // The configuration onto the unit, then its "Coll" kinds resolved to
    // tables under "Coll-" + kind.
    void SetUnitCollInfo(const CConfigColl& config, CUnit& unit);

    // ---- unit search (unit_search.cpp) ----
    // Candidates from the key-value table within from..to: 0 none (or a
    // '|' condition), 1 the units stored under the condition itself, 2 the
    // units of the rarest '&' item, still to be tested.
    int CheckUnitByKV(int from, int to, const char* condition, std::vector<std::string>& ids, int& n);
    // Units satisfying each blank-separated part in turn; a part the index
    // cannot answer is tested on every unit of the lattice.
    void GetUnitByKV(int from, int to, const char* condition, std::vector<std::string>& ids, int& n);
    // A match position, -1 the last, or '$' and tag numbers, to a range of
    // positions; the whole match when it lies outside.
    bool GetNodeNo(const char* reference, int& from, int& to);

    // ---- looking units up (lattice_lookup.cpp) ----
    // An identifier text "(c,i)" or a position of the current match (-1 the
    // last). A match node with a negative index marks the span on its
    // column's placeholder.
    bool GetNode(const char* reference, int& column, int& index);
    // A negative index gives the column's placeholder carrying it as the
    // span marker; null outside the lattice.
    CUnit* GetUnit(UnitId& id);
    CUnit* GetUnit(const char* reference, int& index);
    // The most recently added unit covering column c, reserved units skipped.
    CUnit* GetUnit(int c);
    // An identifier text "(c,i)" only; an index of 0 or less counts as 0.
    CUnit* GetLatticeUnit(const char* idText);
    // Tag numbers joined by '@' to positions of the match path.
    bool GetTagNoInfo(const char* tags, int& from, int& to, const std::vector<CMatchNodeEx>& path, int pathLength);
    // dictUnits = the chain of units of one kind covering from..to, right
    // to left; false when the last units of the columns do not form it.
    bool GetDictUnitsEx(int from, int to, int kind);
    // The characters of columns from..to.
    std::string GetStr(int from, int to) const;

    // ---- state ----
    lua_State* L = nullptr;
    std::unique_ptr<CKVTable> relations;  // relations between units
    std::unique_ptr<CKVTable> keyValues;  // lattice-wide values and the unit index
    int reservedUnits = 0;  // leading units of every column that searches skip
    // kLatticeMsgSize bytes, shared with nested lattices; made by the set-up
    // while Lua output capture (g_bIsOutMsg) is on, null otherwise.
    char* msgBuff = nullptr;
    int chunkCounter = 0;
    int groupCounter = 0;
    std::string sentence;     // as handed to the build, at most 51,199 bytes
    std::string normSentence; // one column per character
    std::deque<CCandidate> columns;
    int columnCount = 0;
    std::vector<CMatchNodeEx> matchPath;  // filled by the rule engine
    int pathLength = 0;
    std::vector<UnitId> chosenUnits;
    int chosenCount = 0;
    std::string returnText;  // handed back by rule actions
    CBT bracketParser;
    std::vector<std::pair<int, int>> clauseRanges;
    int clauseRangeCount = 0;
    CQAVTree* qavTree = nullptr;  // attached tree line, not owned
    std::vector<UnitId> dictUnits;
    int dictUnitCount = 0;
    std::string lexiconTable;  // at most 1,023 bytes
    bool logOn = true;
    std::vector<std::string> workList;
    int workCount = 0;
    // CRF search columns: left pads, one per column, right pads.
    std::vector<CColumn> crfColumns;
    int crfColumnCount = 0;
    int crfLeftPads = 0;
    CRuleNet* currentRuleNet = nullptr;
    // Rule-set name (upper case) -> the entries attached under it.
    std::map<std::string, CRuleInfo_Lattice> ruleSets;

private:
    void AddClauseRange(int first, int last);
    CUnit* CollocationUnit(const CollMatch& match);
    // Values of a key of the key-value table, into the work list.
    int KVCount(const char* key);
    // chosenUnits = units satisfying the condition, right to left from to.
    void Cover(const char* condition, int from, int to, bool skipPlaceholders);
    CUnit& Chosen(int k);
    std::string ChunkInnerText(const CUnit& chunk);
    void InheritGroups(CUnit& unit);
    void ReuseUnit(CUnit& unit, CCandidate& col, int kind, int node, const char* attributes);
    void EmptyForSentence();
    void EmptyChain();
    int AncestorCount() const;
    bool CreateResources();
    void ReleaseOwned();

    CLattice* parent_ = nullptr;
    std::unique_ptr<CLattice> child_;
    bool ownsState_ = false;
    std::unique_ptr<char[]> ownMsgBuff_;
    std::vector<std::unique_ptr<CKVTable>> unitTables_;
    LatticeBTSentence btSentence_{*this};
};

// Whether the text is the clause separator of SplitSentence.
bool IsBiaodian_Clause(const char* text);

}  // namespace zel
