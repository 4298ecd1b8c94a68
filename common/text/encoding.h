// Conversion between GBK, UCS-2 (16-bit units, no surrogate handling) and UTF-8.
//
// Converters with a capacity write only whole characters, and only while
// there is room; they always return the length of the whole converted text,
// so a result at or above the capacity means the text was cut (and then no
// terminator was written). Unmapped characters become spaces.
#pragma once

#include <cstdint>

#include "common/platform/qz_export.h"

extern "C" {

// Core converters. A null destination only counts (for the UTF-8
// destinations: a null destination with capacity 0).
QZ_EXPORT int cv_gbk_to_ucs16(const char* gbk, uint16_t* ucs, int capacity);
QZ_EXPORT int cv_gbk_to_ucs16_ex(const char* gbk, int length, uint16_t* ucs, int capacity);
QZ_EXPORT int cv_ucs16_to_gbk(const uint16_t* ucs, char* gbk, int capacity);
QZ_EXPORT int cv_ucs16_to_gbk_ex(const uint16_t* ucs, int count, char* gbk, int capacity);
// No terminator is written; characters beyond U+FFFF are dropped.
QZ_EXPORT int cv_utf8_to_ucs16(const char* utf8, uint16_t* ucs, int capacity);
QZ_EXPORT int cv_utf8_to_ucs16_ex(const char* utf8, int length, uint16_t* ucs, int capacity);
QZ_EXPORT int cv_ucs16_to_utf8(const uint16_t* ucs, char* utf8, int capacity);
QZ_EXPORT int cv_ucs16_to_utf8_ex(const uint16_t* ucs, int count, char* utf8, int capacity);
// Size of the UTF-8 form of one code point (0 for a negative one); the bytes
// are written only when room is at least that size.
QZ_EXPORT int cv_utf16_to_utf8_one(int code_point, char* utf8, int room);
// Through an intermediate UCS-2 text; -1 when it cannot be allocated.
QZ_EXPORT int cv_gbk_to_utf8(const char* gbk, char* utf8, int capacity);
QZ_EXPORT int cv_utf8_to_gbk(const char* utf8, char* gbk, int capacity);

// The wrappers the rest of the system calls; same results as the cv_ forms.
QZ_EXPORT int gbk_to_ucs16(const char* gbk, uint16_t* ucs, int capacity);
QZ_EXPORT int gbk_to_ucs16_ex(const char* gbk, int length, uint16_t* ucs, int capacity);
QZ_EXPORT int ucs16_to_gbk(const uint16_t* ucs, char* gbk, int capacity);
QZ_EXPORT int ucs16_to_gbk_ex(const uint16_t* ucs, int count, char* gbk, int capacity);
QZ_EXPORT int ucs16_to_utf8(const uint16_t* ucs, char* utf8, int capacity);
QZ_EXPORT int utf8_to_ucs16(const char* utf8, uint16_t* ucs, int capacity);

// NUL-terminated source; returns the length of the whole converted text, or
// -1 when the intermediate buffer cannot be allocated.
QZ_EXPORT int gbk_to_utf8(const char* gbk, char* utf8, int capacity);
QZ_EXPORT int utf8_to_gbk(const char* utf8, char* gbk, int capacity);

// Number of units before the terminating unit 0.
QZ_EXPORT int64_t ucs16_length(const uint16_t* ucs);

// No capacity: the destination must hold the whole converted text and a NUL.
QZ_EXPORT void GBK2UTF8(const char* gbk, char* utf8);
QZ_EXPORT void UTF8_2_GBK(const char* utf8, char* gbk);

// Classification of GBK bytes; 1 = true, 0 = false.
QZ_EXPORT int cv_is_gbk_leadbyte(unsigned char byte);
// Han character: GB2312 Han block, GBK/3, GBK/4, or the pair A9 96.
QZ_EXPORT int cv_is_gbk_han(unsigned char lead, unsigned char trail);
// True when some byte B0..F7 is followed by a byte A1..FE (looked at byte by byte).
QZ_EXPORT int IsChineseLine(const char* gbk);

// Size of the UTF-8 sequence that starts with *p, judged by that byte alone:
// 0 (continuation byte) to 6.
QZ_EXPORT int enc_get_utf8_size(const char* p);
// Decodes one sequence of up to 3 bytes into *unit (cleared first); returns
// its size, or 0 for a malformed continuation byte (the unit stays 0). Longer
// sequences are not decoded. A null unit only returns the size.
QZ_EXPORT int enc_utf8_to_utf16_one(const char* p, uint16_t* unit);
// Decodes one sequence of 1 to 6 bytes (up to 31 bits) into *code (cleared
// first); returns its size, or 0 when it is malformed.
QZ_EXPORT int enc_utf8_to_unicode_one(const char* p, uint64_t* code);

}
