#include "qav/fulltext/build/build_files.h"

#include <sys/stat.h>

#include <cstdio>

#include "common/platform/file_handle.h"
#include "qav/index/base/qav_log.h"

namespace qav_bm {
namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

std::string BaseName(const std::string& path) {
    size_t separator = path.rfind('\\');
    if (separator == std::string::npos) separator = path.rfind('/');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void CopyConfig(const std::string& source, const std::string& destination) {
    if (SameFile(source, destination)) return;
    std::string bytes;
    FileHandle out;
    bool ok = ReadWholeFile(source, bytes) && (out = OpenFile(destination, "wb"));
    if (ok) ok = fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size() && CloseFile(out);
    if (!ok) QavLog("Error copyfile from %s to %s!\n", source.c_str(), destination.c_str());
}

bool IsListCommentLine(const std::string& line) {
    return line.empty() || line[0] == ' ' || line[0] == '#' || line[0] == '-' || line[0] == '\\';
}

}  // namespace qav_bm
