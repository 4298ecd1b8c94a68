// The C functions behind the Lua names of rule actions, family by family.
// Each takes its arguments from the calling state and pushes its results
// (see action_args.h for the conventions they share).
#pragma once

#include <string>

struct lua_State;

namespace zel::actions {

// Sentence input and text (sentence_functions.cpp).
int SetSentence(lua_State* L);
int GetSentence(lua_State* L);
int Structure(lua_State* L);
int Lexicon(lua_State* L);
int GetWord(lua_State* L);
int Relate(lua_State* L);
int GetTreeEx(lua_State* L);

// Units (unit_functions.cpp).
int GetUnits(lua_State* L);
int GetUnit(lua_State* L);
int GetLatticeInfo(lua_State* L);
int AddUnit(lua_State* L);
int Reduce(lua_State* L);
int IsUnit(lua_State* L);

// Heads and tree links (head_functions.cpp).
int SetHeadWord(lua_State* L);
int SetHead(lua_State* L);
int GetHead(lua_State* L);
int GetHeadWord(lua_State* L);
int GetChildren(lua_State* L);
int GetParents(lua_State* L);
int GetTree(lua_State* L);

// Unit and lattice key-values, the log (kv_functions.cpp).
int AddUnitKV(lua_State* L);
int GetUnitKVs(lua_State* L);
int GetUnitKV(lua_State* L);
int AddLatticeKV(lua_State* L);
int GetLatticeKVs(lua_State* L);
int GetLogs(lua_State* L);

// Relations (relation_functions.cpp).
int AddRelation(lua_State* L);
int AddRelationKV(lua_State* L);
int IsRelation(lua_State* L);
int GetRelationKVs(lua_State* L);
int GetRelations(lua_State* L);

// Features and scores (feature_functions.cpp).
int AddRelationFeature(lua_State* L);
int GetRelationFeatures(lua_State* L);
int GetRelationScore(lua_State* L);
int AddUnitAttFeature(lua_State* L);
int GetUnitAttFeatures(lua_State* L);
int GetUnitAttScore(lua_State* L);

// Text conversions (conversion_functions.cpp).
int GB2UTF8(lua_State* L);
int UTF82GB(lua_State* L);
int Ban2Quan(lua_State* L);
int Quan2Ban(lua_State* L);

// Word tables and items (table_functions.cpp); table words in texts,
// units and columns (table_text_functions.cpp).
int IsTable(lua_State* L);
int GetTableKVs(lua_State* L);
int GetTableItems(lua_State* L);
int GetTableKVItems(lua_State* L);
int GetTableWordItems(lua_State* L);
int Prefix(lua_State* L);
int Suffix(lua_State* L);
int IsStrBegin(lua_State* L);
int IsStrEnd(lua_State* L);
int IsStrEqu(lua_State* L);
int IsStrIn(lua_State* L);

// The running rule network's parameter, "" outside a rule action; the
// networks a unit may enter (net_functions.cpp).
std::string RunningNetParam(lua_State* L, const char* name);
int GetParam(lua_State* L);
int GetRuleSet(lua_State* L);

// Returns, match-path nodes, the image folder, services and web output
// (run_functions.cpp, service_functions.cpp).
int Return(lua_State* L);
int GetReturn(lua_State* L);
int GetNo(lua_State* L);
int GetGraphPath(lua_State* L);
int WebPrint(lua_State* L);
int Server(lua_State* L);

// Rule networks run from actions (rule_run_functions.cpp).
int FSA(lua_State* L);
int AddRuleSet(lua_State* L);
int Parse(lua_State* L);

}  // namespace zel::actions
