// The record buffers of one group's slices, cut from large blocks that are
// all freed at once. A buffer lives from its slice's first record until the
// slices close, so nothing is lost by not freeing buffers one by one, and
// hundreds of thousands of small frees, made on other threads than the one
// that allocated them, would wait on the allocator's locks.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace qav {

class SliceBuffers {
public:
    // Bytes of one block; a larger buffer gets a block of its own.
    static constexpr size_t kBlockBytes = size_t{1} << 20;

    // Room for `bytes` bytes, uninitialised; null when memory ran out.
    unsigned char* Take(size_t bytes);
    // Frees every buffer taken.
    void Clear();

private:
    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    unsigned char* next_ = nullptr;  // free room of the last shared block
    size_t left_ = 0;
};

}  // namespace qav
