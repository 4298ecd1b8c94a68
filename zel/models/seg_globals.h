// The process's segmentation model and part-of-speech dictionary, loaded and
// freed by the segmentation functions of the library's interface.
#pragma once

#include <memory>

#include "zel/models/crf_model.h"
#include "zel/models/pos_dict.h"

namespace zel {

extern std::unique_ptr<CCRFModel> g_pCRFModel;
extern std::unique_ptr<CDictSearch> g_pPOSModel;

}  // namespace zel
