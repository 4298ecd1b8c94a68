#include "zel/service/word_net_modes.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/net_encoder.h"
#include "zel/compiler/word_net.h"
#include "zel/service/command_line.h"

namespace zel {

int WordNetIdxMode(int argc, char** argv) {
    const bool keep = std::strcmp(argv[1], "-idxnetlog") == 0;
    if (keep) g_bIsLogOn = true;
    if (argc != 5) {
        PrintUsage(argv[0]);
        return -1;
    }
    // With the log on, the word-network file stays beside its source.
    const std::string netPath = keep ? std::string(argv[2]) + "_" : "tmp_";
    const bool ok = Reg2Net(argv[2], netPath, argv[4]) && compiled_net::RuleIdx(netPath, argv[3], "");
    if (!keep) std::remove(netPath.c_str());
    if (g_showMsg) std::printf(ok ? "Done!\n" : "Fail!\n");
    return ok ? 0 : -1;
}

}  // namespace zel
