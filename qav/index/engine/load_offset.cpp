#include "qav/index/engine/load_offset.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <new>
#include <vector>

#include "common/platform/positioned_io.h"
#include "qav/index/format/index_files.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/format/unit_type.h"

namespace qav {

namespace {

std::atomic<uint64_t> g_nextOffsetGeneration{1};

// The calling thread's own handles of one generation's offset files; closed
// when the thread ends or moves to another generation.
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

// The thread's handle of file fileNo for the engine's current offset files,
// opening all of them first when the thread has none of this generation.
int ThreadHandle(const CQAVEngine& engine, int fileNo) {
    ThreadOffsetFiles& mine = tl_fpOffsetFile;
    if (mine.generation != engine.m_offsetGeneration) {
        mine.CloseAll();
        // Duplicates of the engine's own handles, never a new opening by
        // path: a rebuild may have put another index's files under the same
        // names since the engine started.
        for (size_t i = 0; i < engine.OffsetFileCount(); ++i)
            mine.handles.push_back(fcntl(fileno(engine.m_offsetFiles[i].get()), F_DUPFD_CLOEXEC, 0));
        mine.generation = engine.m_offsetGeneration;
    }
    return fileNo < static_cast<int>(mine.handles.size()) ? mine.handles[fileNo] : -1;
}

}  // namespace

uint64_t NextOffsetFileGeneration() { return g_nextOffsetGeneration.fetch_add(1); }

bool CQAVEngine::LoadOffset(int64_t fileOffset, int64_t count, std::unique_ptr<unsigned char[]>& records, int kind,
                            int offsetFileNo) {
    records.reset();
    if (offsetFileNo < 0 || static_cast<size_t>(offsetFileNo) >= OffsetFileCount() || fileOffset < 0 ||
        count < 0 || static_cast<uint64_t>(count) > SIZE_MAX / 16)
        return false;
    int fd = ThreadHandle(*this, offsetFileNo);
    // The shared handle is only read by position too.
    if (fd < 0) fd = fileno(m_offsetFiles[offsetFileNo].get());
    const size_t bytes = static_cast<size_t>(count) * static_cast<size_t>(SearchRecordWidth(kind));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bytes == 0 ? 1 : bytes]);
    if (!buffer || !qz::ReadAt(fd, buffer.get(), bytes, fileOffset)) return false;
    m_loadedRecords.fetch_add(count);
    records = std::move(buffer);
    return true;
}

}  // namespace qav
