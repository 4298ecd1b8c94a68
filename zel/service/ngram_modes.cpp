#include "zel/service/ngram_modes.h"

#include <cstdlib>
#include <cstring>

#include "zel/models/ngram_builder.h"
#include "zel/rules/format/run_switches.h"
#include "zel/service/command_line.h"

namespace zel {

int NgramMode(int argc, char** argv) {
    if (argc != 7) {
        PrintUsage(argv[0]);
        return -1;
    }
    const NgramBuildMode mode =
        std::strcmp(argv[1], "-idxngram_lm") == 0 ? NgramBuildMode::Backoff : NgramBuildMode::Plain;
    // A model that could not be built is not reported as built.
    return CreateIdx(argv[2], argv[3], argv[4], argv[5], mode, std::atoi(argv[6]), g_showMsg) ? 0 : -1;
}

}  // namespace zel
