// The steps of the in-place quicksort of zq_sort.h as templates, so that a
// caller sorting many elements of one size with one comparator can have the
// comparison inlined and the element size fixed at compile time. Every
// instance makes the same comparisons and moves in the same order, so any
// comparator that gives the same results gives the same sorted array,
// equal elements included.
#pragma once

#include <cstddef>
#include <cstring>

namespace qz::sort_steps {

// Parts of at most this many elements are left to the insertion pass.
constexpr size_t kSmallPart = 4;
// Each pushed range is at most half of the one it came from, so log2 of the
// address space bounds the stack.
constexpr int kStackSize = 64;
// Elements up to this size are moved through a buffer on the stack.
constexpr size_t kBufferedElement = 256;

// Size is size_t, or a std::integral_constant for a size known beforehand.
template <typename Size>
void SwapElements(char* a, char* b, Size size) {
    unsigned char block[64];
    size_t left = size;
    while (left > 0) {
        const size_t n = left < sizeof block ? left : sizeof block;
        std::memcpy(block, a, n);
        std::memcpy(a, b, n);
        std::memcpy(b, block, n);
        a += n;
        b += n;
        left -= n;
    }
}

// Moves the element at `from` down to `to` (to < from), shifting the elements
// in between up by one.
template <typename Size>
void RotateDown(char* to, char* from, Size size) {
    if (size <= kBufferedElement) {
        unsigned char moving[kBufferedElement];
        std::memcpy(moving, from, size);
        std::memmove(to + size, to, static_cast<size_t>(from - to));
        std::memcpy(to, moving, size);
        return;
    }
    const size_t shift = static_cast<size_t>(from - to) / size;
    for (size_t b = 0; b < size; ++b) {
        char moving = from[b];
        for (size_t j = shift; j > 0; --j) to[j * size + b] = to[(j - 1) * size + b];
        to[b] = moving;
    }
}

struct Range {
    char* lo;
    char* hi;
};

// Median-of-three partitioning with an explicit stack. handOff(lo, hi) may
// take a part that would otherwise wait on the stack and return true; it
// must then partition that part itself, the same way.
template <typename Size, typename Less, typename HandOff>
void PartitionLoop(char* base, size_t count, Size size, Less less, HandOff handOff) {
    const ptrdiff_t threshold = static_cast<ptrdiff_t>(kSmallPart * size);
    Range stack[kStackSize];
    Range* top = stack;
    *top++ = Range{nullptr, nullptr};

    char* lo = base;
    char* hi = base + size * (count - 1);
    while (top > stack) {
        char* mid = lo + size * ((static_cast<size_t>(hi - lo) / size) >> 1);
        if (less(mid, lo)) SwapElements(mid, lo, size);
        if (less(hi, mid)) {
            SwapElements(mid, hi, size);
            if (less(mid, lo)) SwapElements(mid, lo, size);
        }

        char* left = lo + size;
        char* right = hi - size;
        do {
            while (less(left, mid)) left += size;
            while (less(mid, right)) right -= size;
            if (left < right) {
                SwapElements(left, right, size);
                if (mid == left)
                    mid = right;
                else if (mid == right)
                    mid = left;
                left += size;
                right -= size;
            } else if (left == right) {
                left += size;
                right -= size;
                break;
            }
        } while (left <= right);

        // Continue with one part, keep the larger one on the stack.
        const bool left_small = right - lo <= threshold;
        const bool right_small = hi - left <= threshold;
        if (left_small && right_small) {
            --top;
            lo = top->lo;
            hi = top->hi;
        } else if (left_small) {
            lo = left;
        } else if (right_small) {
            hi = right;
        } else if (right - lo > hi - left) {
            if (!handOff(lo, right)) *top++ = Range{lo, right};
            lo = left;
        } else {
            if (!handOff(left, hi)) *top++ = Range{left, hi};
            hi = right;
        }
    }
}

// The final pass over the whole array once every part is partitioned.
template <typename Size, typename Less>
void InsertionPass(char* base, size_t count, Size size, Less less) {
    char* const end = base + size * (count - 1);

    // The smallest of the first few elements goes to the front as a sentinel.
    char* smallest = base;
    char* const scan_end = count > kSmallPart ? base + kSmallPart * size : end;
    for (char* run = base + size; run <= scan_end; run += size)
        if (less(run, smallest)) smallest = run;
    if (smallest != base) SwapElements(smallest, base, size);

    for (size_t i = 2; i < count; ++i) {
        char* run = base + i * size;
        char* pos = run;
        // The sentinel stops the scan; the bound guards against a comparator
        // that is not a consistent order.
        while (pos > base && less(run, pos - size)) pos -= size;
        if (pos != run) RotateDown(pos, run, size);
    }
}

// The steps of qz::ZqPartitionEx: partitions a part, passing every part of
// at least minHandOff elements it would come back to later to
// handOff(part, count) instead.
template <typename Size, typename Less, typename HandOff>
void PartitionHandingOff(void* base, size_t count, Size size, Less less, size_t minHandOff, HandOff&& handOff) {
    if (count <= kSmallPart || size == 0 || base == nullptr) return;
    PartitionLoop(static_cast<char*>(base), count, size, less, [&](char* lo, char* hi) {
        const size_t part = static_cast<size_t>(hi - lo) / size + 1;
        if (part < minHandOff) return false;
        handOff(lo, part);
        return true;
    });
}

// The step of qz::ZqFinishEx: the insertion pass over the whole array.
template <typename Size, typename Less>
void FinishPartitioned(void* base, size_t count, Size size, Less less) {
    if (count == 0 || size == 0 || base == nullptr) return;
    InsertionPass(static_cast<char*>(base), count, size, less);
}

template <typename Size, typename Less>
void QuickSort(void* base, size_t count, Size size, Less less) {
    if (count == 0 || size == 0 || base == nullptr) return;
    char* bytes = static_cast<char*>(base);
    if (count > kSmallPart) PartitionLoop(bytes, count, size, less, [](char*, char*) { return false; });
    InsertionPass(bytes, count, size, less);
}

}  // namespace qz::sort_steps
