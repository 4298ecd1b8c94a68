#include "qav/index/build_stages.h"

#include <cstdarg>
#include <cstdio>

#include "qav/index/qav_log.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string StageName(const char* line) {
    std::string name(line);
    const size_t first = name.find_first_not_of(" \r\n");
    const size_t last = name.find_last_not_of(" \r\n");
    return first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
}

}  // namespace

BuildStages::BuildStages(Output output) : output_(output), build_start_(Clock::now()), stage_start_(build_start_) {}

void BuildStages::Write(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (output_ == kLogOnly)
        QavLogOnly("%s", text);
    else
        QavLog("%s", text);
}

void BuildStages::Begin(const char* line) {
    Write("%s", line);
    std::fflush(stdout);
    name_ = StageName(line);
    stage_start_ = Clock::now();
}

bool BuildStages::End(bool ok) {
    if (ok)
        Write("  [%s] done, %.3f s\n", name_.c_str(), SecondsSince(stage_start_));
    else
        Write("  [%s] failed after %.3f s\n", name_.c_str(), SecondsSince(stage_start_));
    std::fflush(stdout);
    return ok;
}

void BuildStages::Total() { Write("  [Total] %.3f s\n", SecondsSince(build_start_)); }
