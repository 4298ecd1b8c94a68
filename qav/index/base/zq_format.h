// Bounded formatting, a 64-bit comparator and the local time as text.
#pragma once

#include "common/platform/qz_export.h"

extern "C" {

// Three-way comparison of two unsigned 64-bit values (qsort comparator).
QZ_EXPORT int zq_uint64_cmp(const void* a, const void* b);
// vsnprintf into buffer: the formatted length cut to size - 1; -1 for a null
// buffer, for size <= 0 (logged) and when nothing was produced or formatting failed.
QZ_EXPORT int qav_snprintf(char* buffer, int size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// "YYYY-MM-DD hh:mm:ss" of the local time in a per-thread buffer that the
// thread's next call overwrites.
QZ_EXPORT char* get_format_time(void);

}
