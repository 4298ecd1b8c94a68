// Stage lines of an index build, each followed by a line with the stage's
// elapsed time, so that the build log shows how far a build got and where
// its time went.
#pragma once

#include <chrono>
#include <string>

class BuildStages {
public:
    enum Output {
        kLogOnly,       // the build log only
        kStdoutAndLog,  // standard output as well
    };

    explicit BuildStages(Output output);

    // Writes the stage line exactly as given, flushes standard output and
    // starts the stage's clock.
    void Begin(const char* line);
    // Writes "  [NAME] done, %.3f s\n" or "  [NAME] failed after %.3f s\n"
    // (NAME: the stage line without blanks and line ends around it) and
    // returns ok.
    bool End(bool ok);
    // Writes "  [Total] %.3f s\n" with the time since construction.
    void Total();

private:
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

    using Clock = std::chrono::steady_clock;
    Output output_;
    Clock::time_point build_start_;
    Clock::time_point stage_start_;
    std::string name_;
};
