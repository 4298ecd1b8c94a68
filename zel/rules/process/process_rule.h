// Rule processing: a rule-set name run over a lattice. The name denotes the
// entries attached under it in the lattice (run first) or else a code
// network of the rule base; every action that fires is either run at once
// as Lua in the lattice's state or appended to the caller's buffer as an
// encoded action record (operation_record.h).
//
// The output counter doubles as the mode: negative runs actions as Lua and
// encodes nothing; 0 or more is the number of bytes of the buffer already
// taken by records.
#pragma once

#include <string>
#include <vector>

namespace zel {

class CLattice;
class CRuleNet;
struct CRuleInfo;

// 1 when the name (any case) denoted something to run, 0 otherwise (also
// for a null lattice; the counter is then unchanged). Each network used is
// left with cleared parameters for the lattice.
int ProcessRule(CLattice* lattice, const char* name, const char* params, char* buffer, int size, int& counter);

// 0 nothing, 1 a code network (in codeNet), 2 the lattice's entries under
// the upper-case name (copied into entries; their networks get their entry
// records and parameters here).
int CollectNet(CLattice& lattice, const std::string& upperName, std::vector<CRuleInfo>& entries,
               CRuleNet*& codeNet);

// A network of three nodes and one atom whose start node has exactly one
// other successor; code receives that successor's atom.
bool IsMainCtrl(const CRuleNet& net, std::string* code);

// Matching from the entry unit at every node stored under key (else
// "Entry=" + key) in the network's entry index, within the lattice's
// controls. Always true.
bool FSA_MatchEx(CLattice& lattice, CRuleNet& net, const char* entryUnit, const char* key, char* buffer, int size,
                 int& counter);

// Runs an action as Lua in the lattice's state with the network in the
// state's network slot; the network becomes the lattice's current one.
bool ProcessOneRule_LUA(CLattice& lattice, CRuleNet& net, const std::string& action);

}  // namespace zel
