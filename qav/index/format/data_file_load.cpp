// Loading an index's data files whole, for the engine and for the sort of a
// build.
#include "qav/index/format/data_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <new>
#include <thread>
#include <vector>

#include "common/platform/file_handle.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/index_files.h"

namespace qav {

namespace {

constexpr int kMaxNumberedFiles = 255;  // file numbers are one byte
constexpr uint64_t kMaxDataFileBytes = uint64_t{1} << 34;

}  // namespace

int CountNumberedFiles(const std::string& prefix) {
    int count = 0;
    for (; count < kMaxNumberedFiles; ++count) {
        FILE* file = fopen(DatFilePath(prefix, count).c_str(), "rb");
        if (!file) break;
        fclose(file);
    }
    return count;
}

namespace {

// An uninitialised array of units words, empty when there is no memory.
void AllocateWords(uint64_t units, std::unique_ptr<uint32_t[]>& words) {
    words.reset(new (std::nothrow) uint32_t[units ? units : 1]);
}
void AllocateWords(uint64_t units, CorpusWords& words) { words = AllocateCorpusWords(units); }

// One data file to load: open, its size known and its memory taken.
struct PendingFile {
    qz::FileHandle file;
    uint64_t units = 0;
};

// Opens one data file and takes the memory for it whole; false after
// logging why.
template <typename Words>
bool PrepareDataFile(const std::string& path, int index, int count, long long& totalMb, Words& words,
                     PendingFile& pending) {
    pending.file.reset(fopen(path.c_str(), "rb"));
    struct stat info;
    if (!pending.file || fstat(fileno(pending.file.get()), &info) != 0) {
        QavLog("ShareDataInit Error: cannot open %s\n", path.c_str());
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    uint64_t units = size / 4;
    if (size >= kMaxDataFileBytes) {
        QavLogOnly("ShareDataInit Warning: file %s too large (%lld units), capped to UINT_MAX\n", path.c_str(),
                   static_cast<long long>(units));
        units = UINT_MAX;
    }
    const long long mb = static_cast<long long>(units >> 18);
    totalMb += mb;
    QavLogOnly("  ShareDataInit: loading file %d/%d (%s), %lld MB (total %lld MB)\n", index + 1, count,
               path.c_str(), mb, totalMb);
    AllocateWords(units, words);
    if (!words) {
        QavLog("ShareDataInit Error: failed to allocate %lld MB for file %s (out of memory)\n", mb, path.c_str());
        fflush(stdout);
        return false;
    }
    pending.units = units;
    return true;
}

template <typename Words>
bool LoadAllDataFiles(const std::string& prefix, std::vector<Words>& words, std::vector<uint32_t>& lengths) {
    words.clear();
    lengths.clear();
    const int count = CountNumberedFiles(prefix);
    if (count == 0) return false;
    words.resize(static_cast<size_t>(count));
    std::vector<PendingFile> pending(static_cast<size_t>(count));
    long long totalMb = 0;
    // Sizes, messages and memory in file order; then the files are read side
    // by side, since one thread alone waits on the pages it faults in.
    for (int i = 0; i < count; ++i) {
        if (!PrepareDataFile(DatFilePath(prefix, i), i, count, totalMb, words[i], pending[i])) {
            words.clear();
            return false;
        }
    }
    std::vector<char> read(static_cast<size_t>(count), 0);
    std::atomic<int> next{0};
    auto reader = [&] {
        for (int i; (i = next++) < count;) {
            PendingFile& file = pending[static_cast<size_t>(i)];
            read[static_cast<size_t>(i)] = fread(words[i].get(), 4, file.units, file.file.get()) == file.units;
        }
    };
    const int workers = std::min<int>(count, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    std::vector<std::thread> threads;
    for (int t = 1; t < workers; ++t) threads.emplace_back(reader);
    reader();
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < count; ++i) {
        if (!read[static_cast<size_t>(i)]) {
            // The file shrank between its size and its reading.
            QavLog("ShareDataInit Error: cannot open %s\n", DatFilePath(prefix, i).c_str());
            words.clear();
            lengths.clear();
            return false;
        }
        lengths.push_back(static_cast<uint32_t>(pending[static_cast<size_t>(i)].units));
    }
    return true;
}

}  // namespace

bool LoadDataFiles(const std::string& prefix, std::vector<std::unique_ptr<uint32_t[]>>& words,
                   std::vector<uint32_t>& lengths) {
    return LoadAllDataFiles(prefix, words, lengths);
}

bool LoadDataFiles(const std::string& prefix, std::vector<CorpusWords>& words, std::vector<uint32_t>& lengths) {
    return LoadAllDataFiles(prefix, words, lengths);
}

}  // namespace qav
