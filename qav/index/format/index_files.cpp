#include "qav/index/format/index_files.h"

namespace qav {

std::string JoinPath(const std::string& dir, const std::string& name) { return dir + "/" + name; }

std::string DatFilePath(const std::string& prefix, int n) { return prefix + "_" + std::to_string(n) + ".dat"; }

std::string IdFilePath(const std::string& prefix, int group) {
    return prefix + "_" + std::to_string(group) + ".ID";
}

std::string DataTextPath(const std::string& dir, int k) {
    return JoinPath(dir, "Data_" + std::to_string(k) + ".txt");
}

std::string WarningFilePath(const std::string& infoDir, const std::string& dataTextPath) {
    size_t cut = dataTextPath.rfind('\\');
    if (cut == std::string::npos) cut = dataTextPath.rfind('/');
    if (cut == std::string::npos) return infoDir + "/" + dataTextPath;
    return infoDir + dataTextPath.substr(cut);
}

}  // namespace qav
