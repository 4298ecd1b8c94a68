#include "qav/index/format/corpus_words.h"

#include <sys/mman.h>

#include <new>

namespace qav {

namespace {

constexpr size_t kHugePageBytes = size_t{2} << 20;

// A mapping of bytes (a multiple of kHugePageBytes) starting on a huge page
// boundary: an unaligned one a huge page longer, cut down to it.
void* MapAligned(size_t bytes) {
    const size_t spare = kHugePageBytes;
    void* raw = mmap(nullptr, bytes + spare, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePageBytes - 1) & ~uintptr_t{kHugePageBytes - 1};
    const size_t head = aligned - start;
    if (head > 0) munmap(raw, head);
    if (spare - head > 0) munmap(reinterpret_cast<void*>(aligned + bytes), spare - head);
    return reinterpret_cast<void*>(aligned);
}

}  // namespace

void CorpusWordsDeleter::operator()(uint32_t* words) const {
    if (mappedBytes > 0) {
        munmap(words, mappedBytes);
    } else {
        delete[] words;
    }
}

CorpusWords AllocateCorpusWords(uint64_t units) {
    const uint64_t bytes = units * 4;
    if (bytes < kHugePageBytes) return CorpusWords(new (std::nothrow) uint32_t[units ? units : 1]);
    const size_t mapped = static_cast<size_t>((bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes);
    void* words = MapAligned(mapped);
    if (!words) return nullptr;
    // Only advice: without huge pages the array still works.
    madvise(words, mapped, MADV_HUGEPAGE);
    CorpusWords array(static_cast<uint32_t*>(words));
    array.get_deleter().mappedBytes = mapped;
    return array;
}

}  // namespace qav
