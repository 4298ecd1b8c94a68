// The bracketing parser every lattice carries. Its trees, model and parsing
// come with the statistical models; until then it holds nothing, and the
// lattice only constructs and destroys it.
#pragma once

namespace zel {

class CBT {};

// One column of the CRF segmentation work area, filled by the CRF model.
struct CColumn {};

}  // namespace zel
