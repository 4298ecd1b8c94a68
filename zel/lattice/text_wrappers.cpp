#include "zel/lattice/text_wrappers.h"

#include <cstring>
#include <vector>

#include "common/text/encoding.h"
#include "zel/lattice/gbk_step.h"

namespace zel {

namespace {

using Converter = int (*)(const char*, char*, int);

// Length of the longest prefix of whole characters that fits in limit bytes.
size_t WholeUtf8Prefix(const char* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return end;
}

size_t WholeGbkPrefix(const char* text, size_t length, size_t limit) {
    size_t end = 0;
    while (end < length) {
        size_t bytes = GbkCharBytes(text + end);
        if (bytes == 0 || end + bytes > limit) break;
        end += bytes;
    }
    return end;
}

int Convert(Converter convert, size_t (*prefix)(const char*, size_t, size_t), const char* source,
            char* destination) {
    destination[0] = '\0';
    int length = convert(source, destination, kConvertSize);
    if (length < kConvertSize) return length;
    // Cut: convert the whole text aside and keep whole characters only.
    std::vector<char> whole(static_cast<size_t>(length) + 1);
    if (convert(source, whole.data(), length + 1) < 0) return -1;
    size_t kept = prefix(whole.data(), static_cast<size_t>(length), kConvertSize - 1);
    std::memcpy(destination, whole.data(), kept);
    destination[kept] = '\0';
    return length;
}

}  // namespace

int UTF8_2_GBK(const char* source, char* destination) {
    return Convert(utf8_to_gbk, WholeGbkPrefix, source, destination);
}

int GBK2UTF8(const char* source, char* destination) {
    return Convert(gbk_to_utf8, WholeUtf8Prefix, source, destination);
}

}  // namespace zel
