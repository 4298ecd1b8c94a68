// Builds a structured index through the exported entry and reports the
// result, the wall time and the peak memory of the process.
#include "bench/timed_build.h"
#include "include/qavlib.h"

int main(int argc, char** argv) {
    return RunTimedBuild(argc, argv, "CONFIG CORPUS_LIST INDEX_DIR", IdxMainAllInOne);
}
