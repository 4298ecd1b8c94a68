// Whole index builds in temporary folders: configuration, corpus lists, the
// committed sample corpora, and what a build leaves in its folder.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace qztest {

// A configuration with small tables; sizeInfoExtra is added (with a leading
// comma) to the "SizeInfo" object.
std::string PipelineConfig(const std::string& sizeInfoExtra = "");

// Writes text to dir/name and returns the path.
std::string WriteAt(const TempDir& dir, const std::string& name, const std::string& text);

// A corpus list naming the files, one a line.
std::string WriteCorpusList(const TempDir& dir, const std::vector<std::string>& files);

// A corpus list of a committed sample folder ("sample", "sample_en") with
// absolute paths.
std::string SampleCorpusList(const TempDir& dir, const std::string& sample);

// Paths of the build logs in dir.
std::vector<std::string> BuildLogs(const std::string& dir);

// Every file under dir except build logs, by path relative to dir.
std::map<std::string, std::string> IndexFiles(const std::string& dir);

// IdxMainAllInOne with standard output captured into *output when given.
int BuildIndex(const std::string& config, const std::string& list, const std::string& dir,
               std::string* output = nullptr);

// Ends the build log a failed build left open, so that tests stay apart.
void CloseOpenBuildLog();

}  // namespace qztest
