// qav: index building and queries from the command line, over the exported
// functions of the retrieval library.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "qavlib.h"

namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "usage:\n"
    "  qav index CONFIG CORPUS_LIST DIR   build an index into DIR\n"
    "  qav query [--lua] DIR QUERY...     run each query on the index in DIR and print its answer;\n"
    "                                     --lua prints the program of each query instead\n"
    "  qav serve DIR PORT                 HTTP service on the index in DIR until SIGINT or SIGTERM\n"
    "\n"
    "Queries are translated by utils/Parser.lua, taken from the working directory when it\n"
    "holds one, else from the folder of the qav executable or the nearest folder above it\n"
    "that holds one. A query that contains a line break is run as a Lua program.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// utils/Parser.lua under the working directory, else under the executable's
// folder or the nearest folder above it; empty when none exists.
std::string FindParser() {
    const fs::path relative = fs::path("utils") / "Parser.lua";
    std::error_code error;
    if (fs::is_regular_file(relative, error)) return fs::absolute(relative, error).string();
    fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (error) return "";
    for (; !folder.empty(); folder = folder.parent_path()) {
        // A folder without the file reports "not found" through the error.
        std::error_code missing;
        if (fs::is_regular_file(folder / relative, missing)) return (folder / relative).string();
        if (folder == folder.root_path()) break;
    }
    return "";
}

int Index(const char* config, const char* corpusList, const char* dir) {
    const int built = QAV_IndexQAV(config, corpusList, dir);
    QAV_Exit();
    if (!built) {
        std::fprintf(stderr, "qav: the index build into %s failed\n", dir);
        return 1;
    }
    std::printf("index built in %s\n", dir);
    return 0;
}

int Query(int argc, char** argv) {
    bool showProgram = false;
    int next = 0;
    if (next < argc && std::strcmp(argv[next], "--lua") == 0) {
        showProgram = true;
        ++next;
    }
    if (argc - next < 2) return Usage();
    const char* dir = argv[next++];
    const std::string parser = FindParser();
    if (parser.empty()) {
        std::fprintf(stderr, "qav: utils/Parser.lua not found (working directory or beside the executable)\n");
        return 1;
    }
    if (!QAV_Init(dir)) {
        std::fprintf(stderr, "qav: cannot start the engine on the index directory %s\n", dir);
        return 1;
    }
    std::vector<char> answer(QAV_MAX_ANSWER_BYTES);
    for (; next < argc; ++next) {
        std::string query = argv[next];
        // A program is its own program; a sentence asks the parser for it.
        if (showProgram && query.find('\n') != std::string::npos) {
            std::printf("%s\n", query.c_str());
            continue;
        }
        if (showProgram) query += " --Lua";
        QAV_RunQAV(parser.c_str(), dir, query.c_str(), answer.data());
        std::printf("%s\n", answer.data());
    }
    QAV_Exit();
    return 0;
}

// The service reads utils/Parser.lua under the working directory, so it runs
// in the folder that holds the parser found.
int Serve(const char* dir, const char* port) {
    const std::string parser = FindParser();
    if (parser.empty()) {
        std::fprintf(stderr, "qav: utils/Parser.lua not found (working directory or beside the executable)\n");
        return 1;
    }
    std::error_code error;
    const std::string index = fs::absolute(dir, error).string();
    fs::current_path(fs::path(parser).parent_path().parent_path(), error);
    if (error) {
        std::fprintf(stderr, "qav: cannot enter the folder of %s\n", parser.c_str());
        return 1;
    }
    if (!QAV_Http(port, index.c_str())) {
        std::fprintf(stderr, "qav: cannot start the engine on the index directory %s\n", dir);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "index" && argc == 5) return Index(argv[2], argv[3], argv[4]);
    if (command == "query") return Query(argc - 2, argv + 2);
    if (command == "serve" && argc == 4) return Serve(argv[2], argv[3]);
    return Usage();
}
