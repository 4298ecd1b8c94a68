// A reader of the name transducer's word array for the tests: walks a name
// from the root and sums the outputs along its arcs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qav_bm_test {

// The value of name, or nothing when the transducer does not hold it.
std::optional<int64_t> FstLookup(const std::vector<uint32_t>& words, const std::string& name);

}  // namespace qav_bm_test
