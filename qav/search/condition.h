// Conditions on the hits of a search: checks on a hit's text parts, document
// filters and the base result set.
#pragma once

#include "qav/search/for_merge.h"

class CConditionEx {
public:
    // Empties the checks and filters; the base area and base mode stay.
    void Clear() {}

    // Base area: only its two bitmaps, their size and the document-level flag
    // are used. Its bitmap size is 0 until a base is set.
    CForMerge m_Base;
    // True keeps only hits tagged in the base; false drops them.
    bool m_bBaseMode = true;
};
