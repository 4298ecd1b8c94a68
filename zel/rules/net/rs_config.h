// CRSConfig: the matching controls of one network for one lattice, set from
// parameter texts. Fresh controls are made on first use; ClearParam resets
// them to the reset values, which keep Dist.
#pragma once

namespace zel {

class CLattice;

// Boundaries that matching must not cross.
enum BoundType : int { kBoundSent = 0, kBoundClause = 1, kBoundChunk = 2, kBoundGroup = 3 };

struct CRSConfig {
    int From = -1;
    int To = -1;
    bool gap = true;
    int Dist = 30;
    bool scope = false;
    bool candidate = true;
    int Bound = kBoundSent;
    bool Order = true;

    // Every field but Dist back to its fresh value.
    void IntConfig();
    // One key=value of a parameter text (keys without case); keys that are
    // not controls change nothing.
    static bool SetConfig(CRSConfig& controls, CLattice* lattice, const char* key, const char* value);
};

// Dist of a lattice without controls.
constexpr int kDefaultDist = 30;

}  // namespace zel
