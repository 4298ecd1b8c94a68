// Process-wide switches of the grammar library that the rule and table code
// reads and the command line and the server set.
#pragma once

#include <string>

namespace zel {

// Progress output of loaders and builders.
extern bool g_showMsg;
// The data folder; table dumps go to its "table" folder.
extern std::string g_szNetPath;

}  // namespace zel
