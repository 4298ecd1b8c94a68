// Look-up of document names in the name transducer: a name is walked
// exactly, then every name that begins with it is collected breadth first,
// so a name acts as a prefix. The values (document keys) accumulate.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "qav/fulltext/engine/fst_index.h"

namespace qav {

class FSTSearch {
public:
    // Values kept at most, over all look-ups of one searcher.
    static constexpr size_t kMaxValues = 10240;

    // reserve 0 means 102,400 continuation pairs.
    bool FSTSearchInit(uint32_t reserve = 0);
    void FSTSearchExit();

    // Splits names at blanks, ";" and ","; collects the values of every name
    // beginning with each. False when the transducer is damaged where a
    // walk leads; values found before stay.
    bool GetFSTCandidateDoc(const std::string& names, const FSTIndex& fst);
    // Walks name exactly and queues its node; true also when the name is not
    // in the transducer (nothing found).
    bool GetExactArc(const std::string& name, const FSTIndex& fst);
    // Expands every queued node by one layer of arcs.
    bool GetLayerArcs(std::vector<std::pair<uint32_t, int64_t>>& input, const FSTIndex& fst);

    std::vector<uint64_t> m_Values;

private:
    struct Edge {
        uint64_t output = 0;
        uint64_t finalOutput = 0;
        uint32_t target = 0;  // where the target node's first arc is
        uint32_t next = 0;    // where the node's next arc is
        uint8_t label = 0;
        bool final = false;
        bool leaf = false;
        bool last = false;    // the node's last arc
    };
    // Reads the arc whose flags word is at p; false when it lies outside the array.
    static bool Unserialize(const FSTIndex& fst, uint32_t p, Edge* edge);
    std::vector<std::pair<uint32_t, int64_t>>* FreeList();
    void AddValue(uint64_t value);

    std::vector<std::pair<uint32_t, int64_t>> m_ListA;
    std::vector<std::pair<uint32_t, int64_t>> m_ListB;
    uint32_t m_nReserve = 0;
};

}  // namespace qav
