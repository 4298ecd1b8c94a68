#include <cstring>

#include "zel/rules/format/table_format.h"

namespace zel {

int GetHZNoEx(const char* text) {
    if (!text) return -1;
    uint32_t ordinal = GetHZNo(std::string_view(text, strnlen(text, 2)));
    return ordinal == kNoHZ ? -1 : static_cast<int>(ordinal);
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
