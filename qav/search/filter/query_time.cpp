#include "qav/search/filter/query_time.h"

namespace qav {

bool IsQueryTimeOut() { return g_nQueryTimeoutMs > 0 && QueryElapsedMs() >= g_nQueryTimeoutMs; }

}  // namespace qav
