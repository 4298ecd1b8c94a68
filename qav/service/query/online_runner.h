// The online runner: runs the program of a request record for the request
// handlers, with the record's output text and request handle in the Lua
// state's slots.
#pragma once

namespace qav {

class CWebInfo;

// Runs info's text as a program on the calling thread in a fresh search
// object (set up with the record's flag and page size). A load or run error
// is appended, GBK, to the record's output (at most kWebTextBytes in all)
// and logged. Nothing runs without a loaded structured engine. Fits a thread
// entry.
void Online_AS_Thread(CWebInfo* info);

}  // namespace qav
