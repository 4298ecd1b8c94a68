// The grammar library's conversion entry points: whole texts of at most
// 65,536 bytes, converted into a destination of that size.
#pragma once

#include <cstddef>

namespace zel {

constexpr int kConvertSize = 65536;

// NUL-terminated source; the destination must hold kConvertSize bytes. A
// text that does not fit is cut after its last whole character that does.
// Returns the length of the whole converted text, or -1 when the
// converter's work area cannot be allocated (destination then empty).
int UTF8_2_GBK(const char* source, char* destination);
int GBK2UTF8(const char* source, char* destination);

}  // namespace zel
