#include "qav/index/base/qav_log.h"

#include <cstdarg>

namespace qav {

FILE* g_log_file = nullptr;

void QavLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    vfprintf(stdout, format, args);
    fflush(stdout);
    if (FILE* log = g_log_file) {
        vfprintf(log, format, copy);
        fflush(log);
    }
    va_end(copy);
    va_end(args);
}

void QavLogOnly(const char* format, ...) {
    FILE* log = g_log_file;
    if (!log) return;
    va_list args;
    va_start(args, format);
    vfprintf(log, format, args);
    va_end(args);
    fflush(log);
}

void QavLogClose() {
    if (!g_log_file) return;
    fputs("=== QAV Index Log Ended ===\n", g_log_file);
    fclose(g_log_file);
    g_log_file = nullptr;
}

}  // namespace qav
