#include "zel/models/ngram_keys.h"

#include "zel/models/hz_info.h"

namespace zel {

bool Encode2HZ(const CHZInfo& table, const char* text, unsigned char out[kPairKeyBytes]) {
    const int a = table.HZ2No(text);
    const int b = table.HZ2No(text + 2);
    if (a < 0 || b < 0) return false;
    PackPairKey(a, b, out);
    return true;
}

}  // namespace zel
