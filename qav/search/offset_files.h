// The offset files of a loaded index and the loading of one unit's records
// from them. The engine opens one shared handle per file; every searching
// thread also opens handles of its own on its first load, so that loads in
// different threads share no file position. Each opening of a set gets a new
// generation number, and a thread whose handles belong to another generation
// (an engine restarted on a rebuilt index) reopens them before it reads.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qav/search/unit_type.h"

class COffsetFileSet {
public:
    // Offset files are numbered by a u8 of the records' unit entries.
    static constexpr int kMaxFiles = 255;

    COffsetFileSet() = default;
    ~COffsetFileSet() { Close(); }
    COffsetFileSet(const COffsetFileSet&) = delete;
    COffsetFileSet& operator=(const COffsetFileSet&) = delete;

    // Opens "%s_%d.dat" (offsetPath, i) read-only for i = 0, 1, ... up to 254,
    // the first one missing ending the count; false when none opens. Closes
    // what was open before and starts a new generation either way.
    bool Open(const std::string& offsetPath);
    void Close();

    int file_count() const { return static_cast<int>(shared_.size()); }
    const std::string& path() const { return path_; }
    uint64_t generation() const { return generation_; }

    // Reads count records of the width of kind from byte fileOffset of offset
    // file fileNo into a new buffer stored in records, and adds count to
    // loadedRecords. False (records empty, counter unchanged) on a short read
    // or when the file is not open. Reads use the calling thread's own
    // handles when it has them, else the shared one, always by position
    // (pread), so concurrent loads never disturb each other.
    bool LoadOffset(int64_t fileOffset, int64_t count, std::unique_ptr<unsigned char[]>& records, UnitType kind,
                    int fileNo, std::atomic<int64_t>& loadedRecords) const;

private:
    int ThreadHandle(int fileNo) const;

    std::string path_;
    std::vector<int> shared_;  // descriptors, one per file
    uint64_t generation_ = 0;
};

// "%s_%d.dat" of an offset path and a file number.
std::string OffsetFileName(const std::string& offsetPath, int fileNo);
