// The values a unit holds under one key, as the lattice tests read them.
#pragma once

#include <string>
#include <vector>

#include "zel/lattice/unit.h"

namespace zel {

inline std::vector<std::string> Values(CUnit& unit, const std::string& key) {
    std::vector<std::string> values;
    int n = 0;
    unit.GetKVs(key.c_str(), values, n);
    values.resize(static_cast<size_t>(n));
    return values;
}

}  // namespace zel
