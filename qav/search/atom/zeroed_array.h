// Large work arrays of trivial records, allocated zeroed. calloc leaves fresh
// pages untouched until used, so a big, mostly idle area costs little per
// query, and a failed allocation is an ordinary null rather than an exception.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace qav {

struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};

template <typename T>
using ZeroedArray = std::unique_ptr<T[], FreeDeleter>;

// Null when count is 0 or memory is short.
template <typename T>
ZeroedArray<T> MakeZeroedArray(size_t count) {
    static_assert(std::is_trivial_v<T>, "zero bytes must be a valid T");
    if (count == 0) return nullptr;
    return ZeroedArray<T>(static_cast<T*>(std::calloc(count, sizeof(T))));
}

}  // namespace qav
