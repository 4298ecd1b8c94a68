#include "qav/index/base/zq_format.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "qav/index/base/qav_log.h"

int zq_uint64_cmp(const void* a, const void* b) {
    uint64_t x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return (x > y) - (x < y);
}

int qav_snprintf(char* buffer, int size, const char* format, ...) {
    if (!buffer) return -1;
    if (size <= 0) {
        qav::QavLog("buffer_len not enough:%d\n", size);
        return -1;
    }
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer, static_cast<size_t>(size), format, args);
    va_end(args);
    if (n <= 0) return -1;
    return n < size ? n : size - 1;
}

char* get_format_time(void) {
    thread_local char text[64];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
             local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}
