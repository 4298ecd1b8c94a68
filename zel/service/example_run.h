// An example run: a JSON file with a word-table source ("tab"), a rule source
// ("fsa"), Lua code ("lua") and an optional configuration ("cfg") unpacked
// into a work folder, built by the "./zel" program and run with its print
// output copied to a file.
#pragma once

namespace zel {

// folder null: "./work". Every failure ends the run quietly.
void run_example(const char* exampleFile, const char* outputFile, const char* folder);

}  // namespace zel
