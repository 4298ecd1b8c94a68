// The "zel" program's modes, reached through the exported main of both the
// program and the library.
#pragma once

namespace zel {

extern const char kZelVersion[];

// Runs the mode argv[1] selects; the process's exit status.
int ZelMain(int argc, char** argv);
void PrintUsage(const char* program);
// Builds the word tables of source into folder/<base>table.idx and .dat,
// <base> being the source's file name without its extension.
bool TableIdx2(const char* source, const char* folder);

}  // namespace zel
