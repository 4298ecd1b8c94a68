#include "zel/rules/format/run_switches.h"

namespace zel {

bool g_showMsg = false;
std::string g_szNetPath;

}  // namespace zel
