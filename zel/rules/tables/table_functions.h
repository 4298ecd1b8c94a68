// The process's one table cluster, g_pTableCluster, and the free functions
// through which the rest of the library reaches tables by name. Every
// function that takes a table name is false when there is no cluster or no
// such table.
#pragma once

#include <string>
#include <vector>

#include "zel/rules/tables/table_cluster.h"

namespace zel {

class CLattice;
class CUnit;

extern CTableCluster* g_pTableCluster;
// Names (in UTF-8) of the tables the last build wrote with a "Coll" index.
extern std::vector<std::string> g_vIdxTables;

// Replaces the cluster by a new empty one.
bool TableClusterPrepare();
bool TableClusterInit(const char* idxPath, const char* datPath);
bool TableClusterInitEx(const char* idxPath, const char* datPath);
// Deletes the cluster and every table in it.
bool TableClusterExit();
bool TableClusterOntology(const char* text);
bool TableClusterGetTable(const char* name, CTable*& table);
// The key-value index of the table name ("KV-" + name).
bool TableClusterGetTable(const char* name, CTableKV*& index);
bool TableClusterGetTables(std::vector<std::string>& names);
// The word's item value (or else the value of the item-KV entry whose key
// is the word), then " " and the "#Global" item's value when there is one.
bool TableClusterIsStrEqual(const char* word, const char* table, std::string& out, int& n);
// Values for a unit: its word, its head word and every item-KV entry it
// satisfies, each after a blank, then " " and "#Global".
bool TableClusterIsStrEqualEx(CUnit* unit, const char* table, std::string& out, int& n);
bool TableClusterDump2File(const char* fileName);
bool TableCheckIsPossible(const char* text, int n, const char* table);
// The longest table word at the start of text and its value.
bool TableClusterMaxSeg(const char* text, const char* table, std::string& key, std::string& value);
// Builds the tables of a text or JSON source into the cluster's pair.
bool TableClusterIdx(const char* path);

// Prepares the cluster and loads the pair of each name from folder; a pair
// that fails is reported and passed over. Always true.
bool GlobalInit_Coll(const std::vector<std::string>& names, const char* folder);

// The lattice's side of the cluster (the lattice cannot reach it itself):
// whether a table of that name is filed, and the table named prefix + "_" +
// the unit's word, or else prefix + "_" + one of its "Syn" values.
bool LookupTable(const char* name);
bool GetTable(CLattice& lattice, const char* prefix, CUnit* unit, std::string& out);

}  // namespace zel
