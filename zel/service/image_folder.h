// The folder that image output goes to, set by the command line and the
// example runs; empty means the working folder.
#pragma once

#include <string>

namespace zel {

extern std::string g_szImgPathName;

}  // namespace zel
