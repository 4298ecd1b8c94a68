// GBK <-> UCS-2 <-> UTF-8 converters over the code page 936 tables.
#include "common/text/encoding.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/text/cp936_tables.h"

using qz::g_gbk2ucs;
using qz::g_ucs2gbk;

namespace {

// A null destination only counts.
int room(const void* destination, int capacity) {
    return destination && capacity > 0 ? capacity : 0;
}

int c_length(const char* text) {
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

// Intermediate UCS-2 text: short texts stay on the stack, longer ones go to
// the heap, so the buffer always fits the whole text.
template <size_t LocalUnits>
class Intermediate {
public:
    // Room for `units` units and a terminator; null when it cannot be allocated.
    uint16_t* reserve(int units) noexcept {
        if (static_cast<size_t>(units) < LocalUnits) return local_;
        heap_.reset(new (std::nothrow) uint16_t[static_cast<size_t>(units) + 1]);
        return heap_.get();
    }

private:
    uint16_t local_[LocalUnits];
    // A unique_ptr rather than a vector: its code is inlined and stays out of
    // the libraries' exported symbols.
    std::unique_ptr<uint16_t[]> heap_;
};

template <size_t N>
const uint16_t* ucs_from_gbk(const char* gbk, Intermediate<N>& mid) {
    int units = cv_gbk_to_ucs16(gbk, nullptr, 0);
    uint16_t* ucs = mid.reserve(units);
    if (ucs) cv_gbk_to_ucs16(gbk, ucs, units + 1);  // writes the terminator
    return ucs;
}

template <size_t N>
const uint16_t* ucs_from_utf8(const char* utf8, Intermediate<N>& mid) {
    int units = cv_utf8_to_ucs16(utf8, nullptr, 0);
    uint16_t* ucs = mid.reserve(units);
    if (ucs) {
        cv_utf8_to_ucs16(utf8, ucs, units);
        ucs[units] = 0;
    }
    return ucs;
}

// The stack sizes follow the callers: the cv_ forms see short texts, the
// wrappers request lines, the capacity-free forms whole queries.
constexpr size_t kCoreUnits = 1024;
constexpr size_t kWrapperUnits = 65536;
constexpr size_t kWholeTextUnits = 102404;

template <size_t N>
int gbk_to_utf8_through(const char* gbk, char* utf8, int capacity) {
    Intermediate<N> mid;
    const uint16_t* ucs = ucs_from_gbk(gbk, mid);
    return ucs ? cv_ucs16_to_utf8(ucs, utf8, capacity) : -1;
}

template <size_t N>
int utf8_to_gbk_through(const char* utf8, char* gbk, int capacity) {
    Intermediate<N> mid;
    const uint16_t* ucs = ucs_from_utf8(utf8, mid);
    return ucs ? cv_ucs16_to_gbk(ucs, gbk, capacity) : -1;
}

// Sequence sizes of UTF-8 up to 6 bytes, by code point.
int utf8_size_of(int code_point) {
    if (code_point < 0) return 0;
    if (code_point < 0x80) return 1;
    if (code_point < 0x800) return 2;
    if (code_point < 0x10000) return 3;
    if (code_point < 0x200000) return 4;
    if (code_point < 0x4000000) return 5;
    return 6;
}

void put_utf8(int code_point, int size, char* out) {
    if (size == 1) {
        out[0] = static_cast<char>(code_point);
        return;
    }
    static const unsigned char kLeadMarks[7] = {0, 0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
    for (int i = size - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (code_point & 0x3F));
        code_point >>= 6;
    }
    out[0] = static_cast<char>(kLeadMarks[size] | code_point);
}

}  // namespace

extern "C" {

int cv_gbk_to_ucs16_ex(const char* gbk, int length, uint16_t* ucs, int capacity) {
    const int cap = room(ucs, capacity);
    int count = 0;
    int lead = 0;  // pending lead byte, 0 when none
    for (int i = 0; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(gbk[i]);
        if (!lead && cv_is_gbk_leadbyte(byte)) {
            lead = byte;
            continue;
        }
        // Single bytes sit at byte * 256; byte 0 and unmapped pairs have no entry.
        uint16_t unit = lead ? g_gbk2ucs[lead * 256 + byte] : g_gbk2ucs[byte * 256];
        lead = 0;
        if (!unit) unit = ' ';
        if (count < cap) ucs[count] = unit;
        ++count;
    }
    if (count < cap) ucs[count] = 0;
    return count;
}

int cv_gbk_to_ucs16(const char* gbk, uint16_t* ucs, int capacity) {
    return cv_gbk_to_ucs16_ex(gbk, c_length(gbk), ucs, capacity);
}

int cv_ucs16_to_gbk_ex(const uint16_t* ucs, int count, char* gbk, int capacity) {
    const int cap = room(gbk, capacity);
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const uint16_t code = g_ucs2gbk[ucs[i]];
        const unsigned char high = static_cast<unsigned char>(code >> 8);
        const unsigned char low = static_cast<unsigned char>(code & 0xFF);
        if (cv_is_gbk_leadbyte(high)) {
            if (n + 1 < cap) {
                gbk[n] = static_cast<char>(high);
                gbk[n + 1] = static_cast<char>(low);
            }
            n += 2;
        } else {
            if (n < cap) gbk[n] = low ? static_cast<char>(low) : ' ';
            n += 1;
        }
    }
    if (n < cap) gbk[n] = '\0';
    return n;
}

int cv_ucs16_to_gbk(const uint16_t* ucs, char* gbk, int capacity) {
    return cv_ucs16_to_gbk_ex(ucs, static_cast<int>(ucs16_length(ucs)), gbk, capacity);
}

int cv_utf8_to_ucs16_ex(const char* utf8, int length, uint16_t* ucs, int capacity) {
    const int cap = room(ucs, capacity);
    int count = 0;
    for (int p = 0; p < length;) {
        const int size = enc_get_utf8_size(utf8 + p);
        const int step = size ? size : 1;
        if (p + step > length) break;  // a cut-off last sequence is dropped
        if (size >= 1 && size <= 3) {
            if (count < cap) enc_utf8_to_utf16_one(utf8 + p, ucs + count);
            ++count;
        }
        p += step;
    }
    return count;
}

int cv_utf8_to_ucs16(const char* utf8, uint16_t* ucs, int capacity) {
    return cv_utf8_to_ucs16_ex(utf8, c_length(utf8), ucs, capacity);
}

int cv_utf16_to_utf8_one(int code_point, char* utf8, int room_left) {
    const int size = utf8_size_of(code_point);
    if (utf8 && size && room_left >= size) put_utf8(code_point, size, utf8);
    return size;
}

int cv_ucs16_to_utf8_ex(const uint16_t* ucs, int count, char* utf8, int capacity) {
    const int cap = room(utf8, capacity);
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const int size = utf8_size_of(ucs[i]);
        if (cap - n >= size) put_utf8(ucs[i], size, utf8 + n);
        n += size;
    }
    if (n < cap) utf8[n] = '\0';
    return n;
}

int cv_ucs16_to_utf8(const uint16_t* ucs, char* utf8, int capacity) {
    return cv_ucs16_to_utf8_ex(ucs, static_cast<int>(ucs16_length(ucs)), utf8, capacity);
}

int cv_gbk_to_utf8(const char* gbk, char* utf8, int capacity) {
    return gbk_to_utf8_through<kCoreUnits>(gbk, utf8, capacity);
}

int cv_utf8_to_gbk(const char* utf8, char* gbk, int capacity) {
    return utf8_to_gbk_through<kCoreUnits>(utf8, gbk, capacity);
}

int gbk_to_ucs16(const char* gbk, uint16_t* ucs, int capacity) {
    return cv_gbk_to_ucs16(gbk, ucs, capacity);
}

int gbk_to_ucs16_ex(const char* gbk, int length, uint16_t* ucs, int capacity) {
    return cv_gbk_to_ucs16_ex(gbk, length, ucs, capacity);
}

int ucs16_to_gbk(const uint16_t* ucs, char* gbk, int capacity) {
    return cv_ucs16_to_gbk(ucs, gbk, capacity);
}

int ucs16_to_gbk_ex(const uint16_t* ucs, int count, char* gbk, int capacity) {
    return cv_ucs16_to_gbk_ex(ucs, count, gbk, capacity);
}

int ucs16_to_utf8(const uint16_t* ucs, char* utf8, int capacity) {
    return cv_ucs16_to_utf8(ucs, utf8, capacity);
}

int utf8_to_ucs16(const char* utf8, uint16_t* ucs, int capacity) {
    return cv_utf8_to_ucs16(utf8, ucs, capacity);
}

int gbk_to_utf8(const char* gbk, char* utf8, int capacity) {
    return gbk_to_utf8_through<kWrapperUnits>(gbk, utf8, capacity);
}

int utf8_to_gbk(const char* utf8, char* gbk, int capacity) {
    return utf8_to_gbk_through<kWrapperUnits>(utf8, gbk, capacity);
}

int64_t ucs16_length(const uint16_t* ucs) {
    int64_t n = 0;
    if (ucs) {
        while (ucs[n]) ++n;
    }
    return n;
}

// The intermediate is sized to the source, so a long source never overruns
// it; the destination receives exactly the converted text and a NUL.
void GBK2UTF8(const char* gbk, char* utf8) {
    Intermediate<kWholeTextUnits> mid;
    const uint16_t* ucs = ucs_from_gbk(gbk, mid);
    if (!ucs) {
        *utf8 = '\0';
        return;
    }
    cv_ucs16_to_utf8(ucs, utf8, cv_ucs16_to_utf8(ucs, nullptr, 0) + 1);
}

void UTF8_2_GBK(const char* utf8, char* gbk) {
    Intermediate<kWholeTextUnits> mid;
    const uint16_t* ucs = ucs_from_utf8(utf8, mid);
    if (!ucs) {
        *gbk = '\0';
        return;
    }
    cv_ucs16_to_gbk(ucs, gbk, cv_ucs16_to_gbk(ucs, nullptr, 0) + 1);
}

}  // extern "C"
