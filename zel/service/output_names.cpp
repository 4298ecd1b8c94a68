#include "zel/service/output_names.h"

#include <sys/stat.h>

namespace zel {

std::string SourceBaseName(const std::string& source) {
    size_t slash = source.rfind('/');
    if (slash == std::string::npos) slash = source.rfind('\\');
    std::string base = slash == std::string::npos ? source : source.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.resize(dot);
    return base;
}

std::string PrepareOutputFolder(const std::string& folder) {
    std::string dir = folder;
    if (dir.empty() || (dir.back() != '/' && dir.back() != '\\')) dir += '/';
    mkdir(dir.c_str(), 0775);
    return dir;
}

}  // namespace zel
