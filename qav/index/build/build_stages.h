// Stage lines of an index build, each followed by a line with the stage's
// elapsed time, so that the build log shows how far a build got and where
// its time went. While a stage runs, a line every few seconds tells that it
// is still running.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace qav {

// Called with the stage name at the start of every stage (null: none). Tests
// use it to stop a build at a chosen stage.
using BuildStageHook = void (*)(const std::string& stage);
void SetBuildStageHook(BuildStageHook hook);

class BuildStages {
public:
    enum Output {
        kLogOnly,       // the build log only
        kStdoutAndLog,  // standard output as well
    };

    explicit BuildStages(Output output, std::chrono::milliseconds heartbeat = std::chrono::seconds(5));
    ~BuildStages();
    BuildStages(const BuildStages&) = delete;
    BuildStages& operator=(const BuildStages&) = delete;

    // Writes the stage line exactly as given, flushes standard output and
    // starts the stage's clock, after calling the stage hook. Until End, every heartbeat period writes
    // "  [NAME] running, %.0f s\n" (NAME: the stage line without blanks and
    // line ends around it).
    void Begin(const char* line);
    // Writes "  [NAME] done, %.3f s\n" or "  [NAME] failed after %.3f s\n"
    // and returns ok.
    bool End(bool ok);
    // Writes "  [Total] %.3f s\n" with the time since construction.
    void Total();

private:
    using Clock = std::chrono::steady_clock;

    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Heartbeat();
    void StopHeartbeat();

    Output output_;
    std::chrono::milliseconds heartbeat_;
    Clock::time_point build_start_;
    Clock::time_point stage_start_;
    std::string name_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    std::thread heartbeat_thread_;
};

}  // namespace qav
