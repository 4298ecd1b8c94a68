#include "qav/index/build/build_log.h"

#include <cstdio>

#include "qav/index/base/qav_log.h"

namespace qav {

std::string BuildLogPath(const std::string& dir, const std::tm& t) {
    char name[64];
    std::snprintf(name, sizeof name, "/qav_idx_%04d%02d%02d_%02d%02d%02d.log", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return dir + name;
}

bool OpenBuildLog(const std::string& dir) {
    if (g_log_file) return true;
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    std::FILE* log = std::fopen(BuildLogPath(dir, t).c_str(), "w");
    if (!log) return false;
    std::fprintf(log, "=== QAV Index Log Started: %04d-%02d-%02d %02d:%02d:%02d ===\n", t.tm_year + 1900,
                 t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    std::fflush(log);
    g_log_file = log;
    return true;
}

}  // namespace qav
