// The rule-base list compiler: a list file of rule networks and operator
// libraries compiled into the index file, the data file and the operator
// library of a rule base.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zel {

// Compiles the list; "Error Idx Rule %s\n" and false when the compile fails.
bool RuleIdx(const std::string& list, const std::string& idxPath, const std::string& datPath);
// Compiles the list into folder/<base>fsa.idx and folder/<base>fsa.dat, base
// being the list's file name without its extension; makes the folder.
bool RuleIdx2(const std::string& source, const std::string& folder);
// The compile of one list; true once the index file is written.
bool RuleBaseIdxEx(const std::string& list, const std::string& idxPath, const std::string& datPath);

// The three lists of an index entry.
struct NetLists {
    std::vector<std::string> libraries;
    std::vector<std::string> defaults;
    std::vector<std::string> conditions;
};

// Compiles one network section into a block appended to data. name loses the
// parameters written in it.
bool IdxRuleFile(std::string& name, const std::vector<std::string>& lines, FILE* data,
                 std::map<std::string, int32_t>& offsets, NetLists& lists);
// Rewrites the first "Entry:" marker of text into "Entry<k> "; true when the
// token was already known, false when condition holds a new one.
bool ProcessEntry(const std::string& text, std::string& rest, int& counter, std::map<std::string, int>& entries,
                  std::string& condition);
// Splits "NAME(a=1,b=2)" into the name and its default parameters.
void CheckParam(std::string& name, std::vector<std::string>& defaults);
// The last "FuncLib <name>" of the list, else the list's file name without
// its extension.
std::string GetFuncLibInfo(const std::string& list);

}  // namespace zel
