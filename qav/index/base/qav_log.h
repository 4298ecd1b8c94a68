// Messages of the retrieval library: standard output, and the build log while
// an index build has it open.
#pragma once

#include <cstdio>

namespace qav {

// Open build log; null when none is open. Only the build's thread changes it.
extern FILE* g_log_file;

// printf-style: to standard output (flushed), then to the open log (flushed).
void QavLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// printf-style: to the open log only; nothing when no log is open.
void QavLogOnly(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes the closing line, closes the log and empties g_log_file.
void QavLogClose();

}  // namespace qav
