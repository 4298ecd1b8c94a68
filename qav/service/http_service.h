// Entries of the HTTP service besides the exported QAV_Http.
#pragma once

namespace qav {

// A service entry that serves nothing: returns true at once, starting no
// engine, listener or worker.
bool QAV_Http2(const char* port, const char* dataDir);

}  // namespace qav
