#include "qav/index/base/build_inputs.h"

#include <sys/stat.h>

#include <cstdio>

#include "common/platform/file_handle.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

bool IsListCommentLine(const std::string& line) {
    return line.empty() || line[0] == ' ' || line[0] == '#' || line[0] == '-' || line[0] == '\\';
}

std::string _basename(const std::string& path) {
    size_t separator = path.rfind('\\');
    if (separator == std::string::npos) separator = path.rfind('/');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool CopyBytes(std::FILE* in, std::FILE* out) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        if (std::fwrite(buffer, 1, n, out) != n) return false;
    return !std::ferror(in);
}

void CopyFile(const std::string& source, const std::string& destination) {
    // Opening the destination "wb" would empty the source first.
    if (SameFile(source, destination)) return;
    qz::FileHandle in(std::fopen(source.c_str(), "rb"));
    qz::FileHandle out(in ? std::fopen(destination.c_str(), "wb") : nullptr);
    bool ok = in && out && CopyBytes(in.get(), out.get());
    if (out) ok = std::fclose(out.release()) == 0 && ok;
    if (!ok) QavLog("Error copyfile from %s to %s!\n", source.c_str(), destination.c_str());
}

}  // namespace qav
