// Whole reads and writes at a position of a file descriptor. They do not move
// the descriptor's file position, so that several threads may read or write
// one file at once; a short transfer or an interrupted call is continued.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace qz {

// False when the file ends before `size` bytes or a read fails.
inline bool ReadAt(int fd, void* out, size_t size, int64_t at) {
    auto* bytes = static_cast<unsigned char*>(out);
    while (size > 0) {
        const ssize_t got = pread(fd, bytes, size, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
        at += got;
    }
    return true;
}

// False when a write fails or writes nothing.
inline bool WriteAt(int fd, const void* data, size_t size, int64_t at) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = pwrite(fd, bytes, size, static_cast<off_t>(at));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
        at += written;
    }
    return true;
}

}  // namespace qz
