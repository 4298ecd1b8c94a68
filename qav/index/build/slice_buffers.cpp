#include "qav/index/build/slice_buffers.h"

#include <new>

namespace qav {

unsigned char* SliceBuffers::Take(size_t bytes) {
    bytes = bytes > 0 ? bytes : 1;  // every buffer taken is a place of its own
    if (bytes > left_) {
        const bool own = bytes > kBlockBytes / 4;
        std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[own ? bytes : kBlockBytes]);
        if (!block) return nullptr;
        blocks_.push_back(std::move(block));
        if (own) return blocks_.back().get();
        next_ = blocks_.back().get();
        left_ = kBlockBytes;
    }
    unsigned char* taken = next_;
    next_ += bytes;
    left_ -= bytes;
    return taken;
}

void SliceBuffers::Clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    next_ = nullptr;
    left_ = 0;
}

}  // namespace qav
