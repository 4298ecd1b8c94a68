// stdio files closed by their owner's scope, so that no early return of a
// build stage leaves a file open.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

inline FileHandle OpenFile(const std::string& path, const char* mode) { return FileHandle(fopen(path.c_str(), mode)); }

// Closes the file; false when a write to it failed or the close did.
inline bool CloseFile(FileHandle& file) {
    FILE* raw = file.release();
    bool ok = !ferror(raw);
    return fclose(raw) == 0 && ok;
}
