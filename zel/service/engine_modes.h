// Command-line modes that work on an engine started from a configuration
// file.
#pragma once

namespace zel {

// "-dump config file": starts the engine from config, writes the table
// cluster to file (in the rule folder's "table" folder) and shuts the engine
// down. 0, or -1 when the engine does not start; with a wrong argument count
// nothing is done and the answer is 0.
int DumpMode(int argc, char** argv);

}  // namespace zel
