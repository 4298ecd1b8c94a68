// Small printing and process utilities kept for hosts: the log file entry,
// time-stamped and numbered prints, and the working folder.
#include <cstdio>
#include <ctime>
#include <string>

#include "common/platform/file_handle.h"
#include "zel/service/mission_lock.h"
#include "zel/service/runtime_shims.h"
#include "zel/service/start_state.h"
#include "zellib.h"

namespace {

// The local time as asctime writes it, line feed included; built with the
// reentrant calls because the prints may come from several threads.
std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    const size_t length = std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y\n", &local);
    return std::string(text, length);
}

}  // namespace

void PrintLog(char* text, char* tag) {
    if (zel::g_szLogFile.empty()) return;
    zel::MissionGuard lock;
    qz::FileHandle file = qz::OpenFile(zel::g_szLogFile, "ab+");
    if (!file) return;
    std::fprintf(file.get(), "#<%s>\t%s%s\n", tag ? tag : "", LocalTimeText().c_str(), text ? text : "");
}

void PrintMsg(const char* a, const char* b) {
    std::printf("%s\t%s\t%s", a ? a : "", b ? b : "", LocalTimeText().c_str());
}

void DBPrint(char* text, int n) { std::printf("%s<%d>\n", text ? text : "", n); }

void SetWorkingPath(const char* path) {
    if (path) zel::zq_chdir(path);
}
