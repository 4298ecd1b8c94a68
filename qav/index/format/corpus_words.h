// The word array of one loaded data file. Queries read an engine's word
// arrays at random, one read per hit, so large arrays live in mappings of
// their own advised to huge pages: far fewer page-table misses per read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qav {

// Frees a word array: a plain array (mappedBytes 0) with delete[], a mapping
// with munmap.
struct CorpusWordsDeleter {
    CorpusWordsDeleter() = default;
    // Implicit, so that plain arrays (as tests and builders make them) are
    // taken over as they are.
    CorpusWordsDeleter(std::default_delete<uint32_t[]>) {}  // NOLINT(google-explicit-constructor)
    void operator()(uint32_t* words) const;

    size_t mappedBytes = 0;
};
using CorpusWords = std::unique_ptr<uint32_t[], CorpusWordsDeleter>;

// An uninitialised array of units 4-byte words: from 2 MB on a mapping
// aligned to and rounded up to huge pages and advised to use them (the
// system may still refuse them), smaller as a plain array. Null when no
// memory can be had.
CorpusWords AllocateCorpusWords(uint64_t units);

}  // namespace qav
