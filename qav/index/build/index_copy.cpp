#include "qav/index/build/index_copy.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "common/platform/file_handle.h"
#include "qav/index/format/index_files.h"
#include "qav/index/base/qav_log.h"

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Appends all of in to out; false on a read or write error.
bool CopyBytes(std::FILE* in, std::FILE* out) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        if (std::fwrite(buffer, 1, n, out) != n) return false;
    return !std::ferror(in);
}

}  // namespace

void CopyFile(const std::string& source, const std::string& destination) {
    // Opening the destination "wb" would empty the source first.
    if (SameFile(source, destination)) return;
    FileHandle in(std::fopen(source.c_str(), "rb"));
    FileHandle out(in ? std::fopen(destination.c_str(), "wb") : nullptr);
    bool ok = in && out && CopyBytes(in.get(), out.get());
    if (out) ok = std::fclose(out.release()) == 0 && ok;
    if (!ok) QavLog("Error copyfile from %s to %s!\n", source.c_str(), destination.c_str());
}

bool MergeCorpusIDFiles(int groupCount, const std::string& dir, const std::string& infoDataPrefix) {
    const std::string mergedPath = JoinPath(dir, kCorpusIdName);
    FileHandle merged(std::fopen(mergedPath.c_str(), "wb"));
    if (!merged) {
        QavLog("Error open %s\n", mergedPath.c_str());
        return false;
    }
    for (int group = 0; group < groupCount; ++group) {
        const std::string path = IdFilePath(infoDataPrefix, group);
        FileHandle in(std::fopen(path.c_str(), "rb"));
        if (!in || !CopyBytes(in.get(), merged.get())) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
    }
    if (std::fclose(merged.release()) != 0) {
        QavLog("Error open %s\n", mergedPath.c_str());
        return false;
    }
    return true;
}
