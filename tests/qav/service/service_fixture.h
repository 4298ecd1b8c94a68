// Index directories and parser scripts for tests of the query road.
#pragma once

#include <string>

#include "support/test_support.h"

namespace qztest {

// A configuration with small tables.
std::string ServiceConfig();

// Writes text to dir/name (folders made as needed) and returns the path.
std::string WriteAt(const TempDir& dir, const std::string& name, const std::string& text);

// Builds a one-line corpus ("我/r 爱/v 上海/ns") into dir/name with the
// library's build entry and returns the index directory; the build's
// configuration is dir/config.json.
std::string BuildOneLineIndex(const TempDir& dir, const std::string& name);

// Ends the build log a failed build left open, so that tests stay apart.
void CloseOpenBuildLog();

}  // namespace qztest
