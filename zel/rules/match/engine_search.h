// One matching attempt's search: the two match graphs and the depth-first
// steps that fill them (MatchRule_Next forwards, MatchRule_Prev backwards),
// with the limits of the attempt.
#pragma once

#include <string>
#include <vector>

#include "zel/rules/match/match_net.h"
#include "zel/rules/match/unit_conditions.h"

namespace zel {

class CLattice;
class CRuleNet;
class CUnit;

struct MatchLimits {
    int Dist = 30;
    bool gap = false;
    bool Order = false;
    int Bound = 0;
};

// The anchor of an attempt: the unit at which matching starts.
struct MatchEntry {
    UnitId id{-1, -1};
    CUnit* unit = nullptr;
    int From = -1;
    int To = -1;
    std::string idText;  // handed to unit conditions as "UEntry"
};

class MatchSearch : private MatchStateView {
public:
    MatchSearch(CLattice& lattice, const CRuleNet& net, const MatchEntry& entry, const MatchLimits& limits);

    // One step forwards from state s and everything below it; with add the
    // state is appended first. Candidates may end at most at column to;
    // start is the first column a gap condition search may use.
    void MatchRule_Next(CMatchNode s, bool add, int start, int to);
    // The same backwards: nothing starts before column from; end is the
    // last column a gap condition search may use.
    void MatchRule_Prev(CMatchNode s, bool add, int from, int end);

    CMatchNet forward;
    CMatchNet backward;

private:
    // A state's span (From..To of its unit; c-L+1..c for a span).
    bool SpanOf(UnitId id, int& from, int& to) const;
    bool InsideBound(UnitId id);
    bool NextLimitsHold(const CMatchNode& s, int to);
    bool PrevLimitsHold(const CMatchNode& s, int from);
    // Candidates of one step (engine_steps.cpp, engine_tables.cpp,
    // engine_gap.cpp).
    void NextCandidates(const CMatchNode& s, int start, int to, std::vector<CMatchNode>& out);
    void PrevCandidates(const CMatchNode& s, int from, int end, std::vector<CMatchNode>& out);
    void NextWords(const CMatchNode& s, int n, int to, std::vector<CMatchNode>& out);
    void PrevWords(const CMatchNode& s, int p, int from, std::vector<CMatchNode>& out);
    void NextTables(const CMatchNode& s, int n, int to, std::vector<CMatchNode>& out);
    void PrevTables(const CMatchNode& s, int p, int from, std::vector<CMatchNode>& out);
    void Conditions(const CMatchNode& s, const std::vector<int32_t>& successors, bool forwards, int from, int to,
                    std::vector<CMatchNode>& out);
    // Gap search for units satisfying a condition.
    void GetCollUnitsEx(const CMatchNode& s, const std::string& condition, bool forwards, int from, int to,
                        std::vector<UnitId>& units);
    void ProcessColumn(const std::string& condition, int column, std::vector<UnitId>& units);
    bool Satisfies(CUnit& unit, const std::string& condition);
    // Adds a candidate for the successor unless the step is full.
    static bool Add(const CMatchNode& s, int node, UnitId unit, std::vector<CMatchNode>& out);
    std::string Atom(int node) const;

    CUnit* UnitAfterSteps(bool backward, int steps) const override;

    CLattice& lattice_;
    const CRuleNet& net_;
    const MatchEntry& entry_;
    MatchLimits limits_;
    // The state being extended, for conditions that look along the match.
    int currentState_ = -1;
    bool currentBackward_ = false;
};

}  // namespace zel
