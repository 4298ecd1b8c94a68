#include "zel/service/command_line.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/rule_base_compiler.h"
#include "zel/rules/format/run_switches.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/lattice/attribute_names.h"
#include "zel/service/batch_modes.h"
#include "zel/service/engine_modes.h"
#include "zel/service/example_run.h"
#include "zel/service/http_server.h"
#include "zel/service/image_folder.h"
#include "zel/service/ngram_modes.h"
#include "zel/service/output_names.h"
#include "zel/service/run_lua.h"
#include "zel/service/server_start.h"
#include "zel/service/word_net_modes.h"

namespace zel {

const char kZelVersion[] = "4.0.260328.0611";

namespace {

// Reaps every finished child (the builds an example run starts) without
// waiting for the running ones.
void signal_handler(int) {
    int status = 0;
    while (waitpid(-1, &status, WNOHANG) > 0) {
    }
}

bool Is(const char* option, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (std::strcmp(option, name) == 0) return true;
    return false;
}

int RuleMode(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        PrintUsage(argv[0]);
        return -1;
    }
    g_showMsg = std::strcmp(argv[1], "-fsa_l") == 0;
    const bool ok = argc == 4 ? RuleIdx2(argv[2], argv[3]) : RuleIdx(argv[2], argv[3], argv[4]);
    if (!ok && g_showMsg) std::printf("Fail!\n");
    return 0;
}

// Compiles a rule list into the given index and data files, keeping the
// compiler's intermediate files.
int RuleLogMode(int argc, char** argv) {
    g_bIsLogOn = true;
    if (argc != 5) {
        PrintUsage(argv[0]);
        return -1;
    }
    if (!RuleIdx(argv[2], argv[3], argv[4]) && g_showMsg) std::printf("Fail!\n");
    return 0;
}

int TableMode(int argc, char** argv) {
    if (argc != 4) return 0;
    g_showMsg = std::strcmp(argv[1], "-table_l") == 0;
    TableIdx2(argv[2], argv[3]);
    // The table modes answer -1 even when the table was built; callers rely on it.
    return -1;
}

}  // namespace

void PrintUsage(const char* program) {
    std::printf("zel ");
    std::printf("v%s_linux\n", kZelVersion);
    std::printf("\nUsage:\n");
    std::printf("%s -fsa file[In] path[Out]\n", program);
    std::printf("%s -table file[In]  path\n", program);
    std::printf("%s -lua Luacode config\n", program);
    std::printf("%s -http port config\n", program);
    std::printf("%s -files config fsa filelist MaxThreadNum\n", program);
    std::printf("\n");
}

bool TableIdx2(const char* source, const char* folder) {
    if (!source || !folder) return false;
    const std::string stem = PrepareOutputFolder(folder) + SourceBaseName(source) + "table";
    const std::string idx = stem + ".idx", dat = stem + ".dat";
    std::remove(idx.c_str());
    std::remove(dat.c_str());
    TableClusterPrepare();
    TableClusterInitEx(idx.c_str(), dat.c_str());
    const bool ok = TableClusterIdx(source);
    TableClusterExit();
    return ok;
}

// Serves HTTP on argv[2] for the life of the process.
int HttpMode(int argc, char** argv) {
    if (argc < 3) {
        PrintUsage(argv[0]);
        return -1;
    }
    g_showMsg = std::strcmp(argv[1], "-httpd") == 0;
    JParser_Http(argv[2], ".", argc > 3 ? argv[3] : nullptr);
    return -1;  // only when the port could not be bound
}

// Runs a Lua file; its images go to "./output".
int LuaMode(int argc, char** argv) {
    if (argc < 3) return 0;
    // With a configuration the file runs against the started engine; without
    // one it has the attribute names only.
    if (argc == 4 && !InitServer(argv[3])) {
        if (g_showMsg) std::printf("start Failed!");
        InitName2Type();
    }
    if (argc == 3) InitName2Type();
    g_szImgPathName = "./output";
    mkdir(g_szImgPathName.c_str(), 0775);
    RunLua(argv[2]);
    return 0;
}

int ExampleMode(int argc, char** argv) {
    if (argc < 3) {
        PrintUsage(argv[0]);
        return -1;
    }
    run_example(argv[2], argc > 3 ? argv[3] : nullptr, argc > 4 ? argv[4] : "./work");
    return 0;
}

int ZelMain(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGCHLD, signal_handler);
    if (argc < 2) {
        PrintUsage(argc > 0 ? argv[0] : "zel");
        return -1;
    }
    const char* option = argv[1];
    if (std::strcmp(option, "-v") == 0 && argc == 2) {
        std::printf("v%s_linux\n", kZelVersion);
        return 1;
    }
    if (std::strcmp(option, "-idxrulelog") == 0) return RuleLogMode(argc, argv);
    if (std::strcmp(option, "-run") == 0) return ExampleMode(argc, argv);
    if (Is(option, {"-idxnet", "-idxnetlog"})) return WordNetIdxMode(argc, argv);
    if (Is(option, {"-idxrule", "-idx", "-fsa", "-fsa_s", "-fsa_l"})) return RuleMode(argc, argv);
    if (Is(option, {"-idxngram", "-idxngram_lm"})) return NgramMode(argc, argv);
    if (Is(option, {"-httpjp", "-http", "-httpd"})) return HttpMode(argc, argv);
    if (Is(option, {"-file", "-files"})) return BatchMode(argc, argv);
    if (std::strcmp(option, "-lua") == 0) return LuaMode(argc, argv);
    if (Is(option, {"-idxcol", "-idxtable", "-table", "-table_s", "-table_l"})) return TableMode(argc, argv);
    if (std::strcmp(option, "-dump") == 0) return DumpMode(argc, argv);
    return 0;
}

}  // namespace zel
