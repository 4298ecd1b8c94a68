#include "zel/models/ngram_quantise.h"

namespace zel {

uint16_t Lianghua(float min, float max, int steps, float v) {
    const float step = -(max - min) / static_cast<float>(steps);
    uint16_t lo = 0;
    uint16_t hi = static_cast<uint16_t>(steps);
    for (;;) {
        const int t = lo + hi;
        if (t < 4) return 0;
        const int m = t / 2;
        if (m >= steps - 1) return static_cast<uint16_t>(steps);
        const float upper = static_cast<float>(m) * step;     // the more negative bound
        const float lower = static_cast<float>(m - 1) * step;
        if (upper <= v && v <= lower) return static_cast<uint16_t>(m - 1);
        if (upper <= v)
            hi = static_cast<uint16_t>(m - 1);
        else
            lo = static_cast<uint16_t>(m + 1);
        if (lo > hi) return static_cast<uint16_t>(m);
    }
}

}  // namespace zel
