#include "qav/search/atom/zeroed_array.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace qav {

namespace {

// Mappings a thread keeps, and their bytes: a search's slots and merge area
// hold about fifteen, near a gigabyte of address space with large
// capacities, of which a kept mapping holds no memory.
constexpr size_t kKeptMappings = 32;
constexpr size_t kKeptBytes = size_t{2} << 30;

// Set once the thread's keeper is destroyed: an array freed after it (by
// an object destroyed later at the thread's or the process's end) is
// unmapped at once.
thread_local bool tl_keeperGone = false;

class KeptMappings {
public:
    ~KeptMappings() {
        tl_keeperGone = true;
        for (const auto& [block, bytes] : kept_) munmap(block, bytes);
    }

    void* Take(size_t bytes) {
        for (size_t i = kept_.size(); i-- > 0;) {
            if (kept_[i].second != bytes) continue;
            void* block = kept_[i].first;
            keptBytes_ -= bytes;
            kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
            return block;
        }
        return nullptr;
    }

    void KeepOrUnmap(void* block, size_t bytes) {
        // Emptied, the pages of the mapping read as zeros again, as those
        // of a new one do.
        if (kept_.size() >= kKeptMappings || keptBytes_ + bytes > kKeptBytes ||
            madvise(block, bytes, MADV_DONTNEED) != 0) {
            munmap(block, bytes);
            return;
        }
        kept_.emplace_back(block, bytes);
        keptBytes_ += bytes;
    }

private:
    std::vector<std::pair<void*, size_t>> kept_;  // block, bytes
    size_t keptBytes_ = 0;
};

KeptMappings& ThreadMappings() {
    thread_local KeptMappings mappings;
    return mappings;
}

}  // namespace

void* TakeKeptMapping(size_t bytes) { return tl_keeperGone ? nullptr : ThreadMappings().Take(bytes); }

void KeepOrUnmap(void* block, size_t bytes) {
    if (tl_keeperGone) {
        munmap(block, bytes);
        return;
    }
    ThreadMappings().KeepOrUnmap(block, bytes);
}

}  // namespace qav
