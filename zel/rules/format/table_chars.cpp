#include <cstring>

#include "zel/rules/format/table_format.h"

namespace zel {

int GetHZNoEx(const char* text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    if (!p || p[0] < 0xA1 || p[0] > 0xF7 || p[1] < 0xA1 || p[1] > 0xFE) return -1;
    return p[0] * 94 + p[1] - 15134;
}

uint32_t TableKeyHash(const char* key, size_t length) {
    uint32_t h = 0;
    for (size_t i = 0; i < length; ++i) h = h * 31 + static_cast<unsigned char>(key[i]);
    return h;
}

uint32_t NextPrimeAtLeast(uint32_t n) {
    if (n <= 2) return 2;
    for (uint32_t candidate = n | 1;; candidate += 2) {
        bool prime = true;
        for (uint32_t d = 3; d * d <= candidate; d += 2) {
            if (candidate % d == 0) {
                prime = false;
                break;
            }
        }
        if (prime) return candidate;
    }
}

void TableFilePaths(const std::string& folder, const std::string& name, std::string& idxPath,
                    std::string& datPath) {
    std::string stem = folder + "/" + name + (name.find("table") == std::string::npos ? "table" : "");
    idxPath = stem + ".idx";
    datPath = stem + ".dat";
}

}  // namespace zel
