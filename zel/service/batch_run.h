// Batch runs: text files analysed line by line with one rule set, each
// line's return text written to an output file. One file runs on the
// calling thread; a list of files runs in batches of worker threads, one
// lattice per worker. The engine must have been started (InitServer).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zel {

// What one worker of a list run is given.
struct BatchRecord {
    std::string ruleSet;
    std::string input;
    std::string output;
    int interval = 100;
    int extra = 0;  // carried for callers that pass it; not used
};

// Analyses input into output: a line feed per analysed line, then
// "#" + line + "\n" and the lattice's return text followed by a blank.
// Lines beginning with "#" are skipped. While g_showMsg is on every
// interval-th line prints a progress line. false when either file cannot
// be opened (nothing is written then).
bool Parser_File(const char* ruleSet, const char* input, const char* output, int interval);
// The worker entry: runs Parser_File on the BatchRecord it is given; 0.
int BatchFileThread(void* record);
// How many workers each batch of a list run starts: threads at a time (at
// least one), the last batch taking what remains.
std::vector<size_t> BatchSizes(size_t names, int threads);
// Runs every file named in listFile (one name a line; empty lines and lines
// beginning with a blank are skipped) into name + "_out", at most threads
// files at once, each batch finished before the next starts. false when the
// list cannot be opened.
bool BatchFile_Thread(const char* listFile, const char* ruleSet, int threads, int interval, int extra);

}  // namespace zel
