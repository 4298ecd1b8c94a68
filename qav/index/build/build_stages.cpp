#include "qav/index/build/build_stages.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

std::atomic<BuildStageHook> g_stageHook{nullptr};

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

void SetBuildStageHook(BuildStageHook hook) { g_stageHook = hook; }

BuildStages::BuildStages(Output output, std::chrono::milliseconds heartbeat)
    : output_(output), heartbeat_(heartbeat), build_start_(Clock::now()), stage_start_(build_start_) {}

BuildStages::~BuildStages() { StopHeartbeat(); }

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
    StopHeartbeat();
    Write("%s", line);
    std::fflush(stdout);
    name_ = StageName(line);
    if (const BuildStageHook hook = g_stageHook) hook(name_);
    stage_start_ = Clock::now();
    running_ = true;
    try {
        heartbeat_thread_ = std::thread(&BuildStages::Heartbeat, this);
    } catch (const std::system_error&) {
        // Without a thread the stage only goes without its running lines.
    }
}

bool BuildStages::End(bool ok) {
    StopHeartbeat();
    if (ok)
        Write("  [%s] done, %.3f s\n", name_.c_str(), SecondsSince(stage_start_));
    else
        Write("  [%s] failed after %.3f s\n", name_.c_str(), SecondsSince(stage_start_));
    std::fflush(stdout);
    return ok;
}

void BuildStages::Total() { Write("  [Total] %.3f s\n", SecondsSince(build_start_)); }

void BuildStages::Heartbeat() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, heartbeat_, [this] { return !running_; }))
        Write("  [%s] running, %.0f s\n", name_.c_str(), SecondsSince(stage_start_));
}

void BuildStages::StopHeartbeat() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
    if (heartbeat_thread_.joinable()) heartbeat_thread_.join();
}

}  // namespace qav
