// Large work arrays of trivial records, allocated zeroed. A search sets up
// its slots and merge area (hundreds of megabytes with large capacities) for
// every query, so zeroing must not cost a pass over the memory: arrays from
// kMappedFromBytes on are anonymous mappings, whose pages the kernel hands out
// zeroed only when first touched, and go back to it when freed. (calloc would
// do the same only while its mapping threshold has not grown past the array:
// once it has, every query paid a memset of the whole area.) A failed
// allocation is an ordinary null rather than an exception.
//
// A freed mapping is not unmapped but emptied (its touched pages go back to
// the kernel and read as zeros again) and kept by the thread for the next
// array of its size: unmapping also frees the page tables, which makes the
// kernel interrupt every processor the process has run on, for every array
// of every query.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace qav {

// Arrays of this many bytes or more are mapped rather than taken from the
// heap. The merge area's two tag bitmaps (a megabyte each by default) are
// among them: most queries never touch them, and from the heap every query
// paid for clearing them.
constexpr size_t kMappedFromBytes = size_t{1} << 18;

// An emptied mapping of exactly bytes bytes kept by this thread, or null.
void* TakeKeptMapping(size_t bytes);
// Empties a mapping and keeps it for TakeKeptMapping, or unmaps it when the
// thread keeps enough or it cannot be emptied.
void KeepOrUnmap(void* block, size_t bytes);

// Frees a block by the way it was allocated: a mapping when mappedBytes is
// not 0, else returned to the heap. A mapping advised for huge pages is
// unmapped: kept, it would give the next array, of a small result perhaps,
// a huge page for its first touch.
struct ZeroedDeleter {
    size_t mappedBytes = 0;
    bool hugePages = false;
    void operator()(void* block) const {
        if (mappedBytes > 0 && hugePages) {
            munmap(block, mappedBytes);
        } else if (mappedBytes > 0) {
            KeepOrUnmap(block, mappedBytes);
        } else {
            std::free(block);
        }
    }
};

template <typename T>
using ZeroedArray = std::unique_ptr<T[], ZeroedDeleter>;

// Null when count is 0 or memory is short.
template <typename T>
ZeroedArray<T> MakeZeroedArray(size_t count) {
    static_assert(std::is_trivial_v<T>, "zero bytes must be a valid T");
    if (count == 0 || count > SIZE_MAX / sizeof(T)) return nullptr;
    const size_t bytes = count * sizeof(T);
    if (bytes < kMappedFromBytes) return ZeroedArray<T>(static_cast<T*>(std::calloc(count, sizeof(T))));
    void* block = TakeKeptMapping(bytes);
    if (!block) block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    return ZeroedArray<T>(static_cast<T*>(block), ZeroedDeleter{bytes});
}

// Advises huge pages for a mapped array of which many megabytes are about to
// be filled: a page fault costs far more than zeroing its page, and a fault
// per 2 MB replaces one per 4 KB. Only advice: a heap array, or a kernel
// without huge pages, leaves the array as it was.
template <typename T>
void AdviseHugePages(ZeroedArray<T>& array) {
    ZeroedDeleter& deleter = array.get_deleter();
    if (deleter.mappedBytes > 0 && madvise(array.get(), deleter.mappedBytes, MADV_HUGEPAGE) == 0)
        deleter.hugePages = true;
}

}  // namespace qav
