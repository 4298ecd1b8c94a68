#include "common/platform/zq_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/file_handle.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool ExistsOrCreate(const std::string& dir) {
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) return true;
    return mkdir(dir.c_str(), 0775) == 0;
}

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

constexpr size_t kMaxWritePiece = 1073741824;
constexpr size_t kLineBlock = 1048576;
constexpr size_t kCopyBlock = 65536;

}  // namespace

int zq_mkdirs(const char* path) {
    if (!path || !*path) return 0;
    std::string buf(path);
    if (buf.size() >= ZQ_MAX_PATH) return 0;
    // A separator at position 0 (absolute path) makes no prefix to create.
    for (size_t i = 1; i < buf.size(); ++i) {
        if (IsSeparator(buf[i]) && !ExistsOrCreate(buf.substr(0, i))) return 0;
    }
    return ExistsOrCreate(buf) ? 1 : 0;
}

int zq_walkdir(const char* dir, void* pass, zq_walk_fn callback, void* context) {
    if (!dir || !callback) return 0;
    DirPtr d(opendir(dir));
    if (!d) return 0;
    while (const dirent* entry = readdir(d.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        std::string full = std::string(dir) + "/" + entry->d_name;
        struct stat st;
        if (stat(full.c_str(), &st) != 0) continue;  // e.g. a dangling link
        if (S_ISREG(st.st_mode)) {
            if (!callback(full.c_str(), context)) return 0;
        } else if (S_ISDIR(st.st_mode)) {
            if (!zq_walkdir(full.c_str(), pass, callback, context)) return 0;
        }
    }
    return 1;
}

int zq_isfile(const char* path) {
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
}

char* zq_getdirbyfile(const char* path, char* dest) {
    size_t len = std::strlen(path);
    size_t cut = len;
    for (size_t i = len; i > 0; --i) {
        if (IsSeparator(path[i - 1])) {
            cut = i - 1;
            break;
        }
    }
    std::memmove(dest, path, cut);
    dest[cut] = '\0';
    return dest;
}

int zq_remove_last_dir_sep(char* path) {
    if (!path) return 0;
    size_t len = std::strlen(path);
    if (len > 0 && IsSeparator(path[len - 1])) path[len - 1] = '\0';
    return static_cast<int>(len);
}

int64_t zq_get_file_lines(const char* path) {
    qz::FileHandle file(path ? fopen(path, "rb") : nullptr);
    if (!file) return 0;
    std::unique_ptr<char[]> block(new (std::nothrow) char[kLineBlock]);
    if (!block) return 0;
    int64_t lines = 0;
    size_t n;
    while ((n = fread(block.get(), 1, kLineBlock, file.get())) > 0) lines += std::count(block.get(), block.get() + n, '\n');
    return lines;
}

int zq_fseek64(FILE* file, int64_t offset, int origin) { return fseeko(file, static_cast<off_t>(offset), origin); }

size_t zq_fwrite64(const void* data, size_t item_size, size_t item_count, FILE* file) {
    if (item_size == 0 || item_size > kMaxWritePiece) return 0;
    const size_t items_per_piece = kMaxWritePiece / item_size;
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < item_count) {
        size_t piece = item_count - written < items_per_piece ? item_count - written : items_per_piece;
        size_t done = fwrite(bytes + written * item_size, item_size, piece, file);
        written += done;
        if (done < piece) break;
    }
    return written;
}

int zq_copy_file(const char* source, const char* destination) {
    qz::FileHandle in(source ? fopen(source, "rb") : nullptr);
    qz::FileHandle out(destination ? fopen(destination, "wb") : nullptr);
    if (!in || !out) return -1;
    std::vector<char> block(kCopyBlock);
    size_t n;
    while ((n = fread(block.data(), 1, block.size(), in.get())) > 0) {
        if (fwrite(block.data(), 1, n, out.get()) != n) return -1;
    }
    if (ferror(in.get())) return -1;
    FILE* closing = out.release();
    return fclose(closing) == 0 ? 0 : -1;
}

char* get_exe_path(char* buffer, int size) {
    if (!buffer || size <= 0) return nullptr;
    std::vector<char> link(256);
    ssize_t n;
    while ((n = readlink("/proc/self/exe", link.data(), link.size())) == static_cast<ssize_t>(link.size()))
        link.resize(link.size() * 2);
    if (n <= 0) return nullptr;
    std::string path(link.data(), static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return nullptr;
    path.resize(slash + 1);
    if (path.size() >= static_cast<size_t>(size)) return nullptr;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return buffer;
}
