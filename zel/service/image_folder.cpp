#include "zel/service/image_folder.h"

namespace zel {

std::string g_szImgPathName;

}  // namespace zel
