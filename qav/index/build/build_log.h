// The build log of an index directory.
#pragma once

#include <ctime>
#include <string>

namespace qav {

// "%s/qav_idx_%04d%02d%02d_%02d%02d%02d.log" for dir and the local time.
std::string BuildLogPath(const std::string& dir, const std::tm& localTime);

// When no log is open, opens a new log in dir named by the local time into
// g_log_file and writes "=== QAV Index Log Started: %04d-%02d-%02d
// %02d:%02d:%02d ===\n". A log that is already open (an earlier build that
// did not complete) is kept, without a new first line. True when a log is
// open afterwards. QavLogClose writes the last line.
bool OpenBuildLog(const std::string& dir);

}  // namespace qav
