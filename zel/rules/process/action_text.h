// Making a rule action executable: the network's operator libraries put in
// front, escapes decoded, then "$name" replaced by the running network's
// parameters for the lattice.
#pragma once

#include <string>

namespace zel {

class CLattice;
class CRuleNet;

// The body of each of the network's libraries that the operator table
// holds (list order), each followed by a line break, then the action with
// its escapes decoded: a backslash before one of & * - / ! < > @ _ ` |
// gives " { + ~ # [ ] newline ? $ } in turn; any other backslash stays.
void TransferBuff(const CRuleNet& net, const std::string& action, std::string& out);

// text with every "$name" (name: the longest run of ASCII letters and
// digits) that the lattice has as a parameter of the network replaced by
// its value; values are not substituted again.
void TransferVar(CLattice& lattice, const CRuleNet& net, const std::string& text, std::string& out);

// Both, in that order.
std::string MakeExecutable(CLattice& lattice, const CRuleNet& net, const std::string& action);

}  // namespace zel
