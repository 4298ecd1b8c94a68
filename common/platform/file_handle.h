// stdio files closed by their owner's scope, so that no early return of a
// build stage leaves a file open.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace qz {

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

// Appends the whole file to text; false when it cannot be opened or a read
// fails.
inline bool ReadWholeFile(const std::string& path, std::string& text) {
    FileHandle file = OpenFile(path, "rb");
    if (!file) return false;
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file.get())) > 0) text.append(block, n);
    return !ferror(file.get());
}

}  // namespace qz
