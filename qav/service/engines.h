// Start and shut-down of the process's engine: the structured engine on an
// index directory, and whichever engine kind runs when the process ends it.
#pragma once

#include <string>

namespace qav {

// Starts the structured engine on an index directory: refuses a corpus over
// kMaxCorpusBytes, makes a fresh engine, sets the engine kind to structured
// and loads the directory.
bool GlobalInit(const std::string& configName, const std::string& indexDir);
// Frees the engine of the current kind.
void GlobalExit();

}  // namespace qav
