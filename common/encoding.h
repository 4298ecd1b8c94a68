// Conversion between GBK, UCS-2 and UTF-8.
#pragma once

#include "common/qz_export.h"

extern "C" {

// NUL-terminated source; returns the length of the whole converted text.
QZ_EXPORT int gbk_to_utf8(const char* gbk, char* utf8, int capacity);
QZ_EXPORT int utf8_to_gbk(const char* utf8, char* gbk, int capacity);

}
