#include "zel/models/seg_globals.h"

namespace zel {

std::unique_ptr<CCRFModel> g_pCRFModel;
std::unique_ptr<CDictSearch> g_pPOSModel;

}  // namespace zel
