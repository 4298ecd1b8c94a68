// One start of the grammar library from a configuration file, and its end.
#pragma once

namespace zel {

// true when already started or when the file was read; false when it cannot
// be opened, in which case the library stays unstarted and a later call may
// start from another file.
bool InitServer(const char* configPath);
// Frees what a start built: table cluster, operator snippets, the start-up
// Lua state, the rule base. Folders, services and models survive.
void ExitServer();

}  // namespace zel
