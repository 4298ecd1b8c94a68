#include "qav/search/offset_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

namespace {

std::atomic<uint64_t> g_nextOffsetGeneration{1};

// The calling thread's own handles, for the generation it last loaded from;
// closed when the thread ends or moves to another generation.
struct ThreadOffsetFiles {
    uint64_t generation = 0;
    std::vector<int> handles;  // -1 where a file did not open

    ~ThreadOffsetFiles() { CloseAll(); }
    void CloseAll() {
        for (int fd : handles)
            if (fd >= 0) close(fd);
        handles.clear();
        generation = 0;
    }
};

thread_local ThreadOffsetFiles tl_fpOffsetFile;

int OpenReadOnly(const std::string& path) { return open(path.c_str(), O_RDONLY | O_CLOEXEC); }

bool ReadAt(int fd, unsigned char* out, size_t bytes, int64_t offset) {
    while (bytes > 0) {
        const ssize_t got = pread(fd, out, bytes, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        bytes -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

}  // namespace

std::string OffsetFileName(const std::string& offsetPath, int fileNo) {
    return offsetPath + "_" + std::to_string(fileNo) + ".dat";
}

bool COffsetFileSet::Open(const std::string& offsetPath) {
    Close();
    path_ = offsetPath;
    generation_ = g_nextOffsetGeneration.fetch_add(1);
    for (int i = 0; i < kMaxFiles; ++i) {
        const int fd = OpenReadOnly(OffsetFileName(offsetPath, i));
        if (fd < 0) break;
        shared_.push_back(fd);
    }
    return !shared_.empty();
}

void COffsetFileSet::Close() {
    for (int fd : shared_) close(fd);
    shared_.clear();
    path_.clear();
    generation_ = 0;
}

int COffsetFileSet::ThreadHandle(int fileNo) const {
    ThreadOffsetFiles& mine = tl_fpOffsetFile;
    if (mine.generation != generation_) {
        mine.CloseAll();
        for (int i = 0; i < file_count(); ++i) mine.handles.push_back(OpenReadOnly(OffsetFileName(path_, i)));
        mine.generation = generation_;
    }
    return fileNo < static_cast<int>(mine.handles.size()) ? mine.handles[fileNo] : -1;
}

bool COffsetFileSet::LoadOffset(int64_t fileOffset, int64_t count, std::unique_ptr<unsigned char[]>& records,
                                UnitType kind, int fileNo, std::atomic<int64_t>& loadedRecords) const {
    records.reset();
    if (shared_.empty() || fileNo < 0 || fileNo >= file_count() || fileOffset < 0 || count < 0) return false;
    if (static_cast<uint64_t>(count) > SIZE_MAX / 16) return false;
    int fd = ThreadHandle(fileNo);
    if (fd < 0) fd = shared_[fileNo];
    const size_t bytes = static_cast<size_t>(count) * static_cast<size_t>(SearchRecordWidth(kind));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bytes == 0 ? 1 : bytes]);
    if (!buffer || !ReadAt(fd, buffer.get(), bytes, fileOffset)) return false;
    loadedRecords.fetch_add(count);
    records = std::move(buffer);
    return true;
}
