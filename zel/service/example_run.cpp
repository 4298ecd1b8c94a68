#include "zel/service/example_run.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "common/platform/file_handle.h"
#include "common/text/encoding.h"
#include "zel/service/image_folder.h"
#include "zel/service/print_output.h"
#include "zel/service/run_lua.h"
#include "zel/service/server_start.h"

namespace zel {

namespace {

constexpr size_t kExampleBytes = 65536;
constexpr int kConvertedBytes = 65536;

// The member's text, matched without regard to case; false when absent or
// not a text.
bool Member(const nlohmann::json& example, const char* name, std::string& text) {
    for (auto it = example.begin(); it != example.end(); ++it) {
        if (strcasecmp(it.key().c_str(), name) == 0 && it->is_string()) {
            text = it->get<std::string>();
            return true;
        }
    }
    return false;
}

bool WriteGbk(const std::string& path, const std::string& utf8) {
    std::vector<char> gbk(kConvertedBytes, '\0');
    utf8_to_gbk(utf8.c_str(), gbk.data(), kConvertedBytes);
    gbk.back() = '\0';
    qz::FileHandle file = qz::OpenFile(path, "wb");
    if (!file) return false;
    std::fputs(gbk.data(), file.get());
    return qz::CloseFile(file);
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Copies "./config.txt" with its table and rule-network lines pointed at the
// data folder.
void CopyLocalConfig(const std::string& target, const std::string& data) {
    qz::FileHandle in = qz::OpenFile("./config.txt", "r");
    if (!in) return;
    qz::FileHandle out = qz::OpenFile(target, "w");
    if (!out) return;
    char line[1024];
    while (std::fgets(line, sizeof line, in.get())) {
        const std::string text = line;
        if (text.find("\"Table\"") != std::string::npos)
            std::fprintf(out.get(), "{\"Type\":\"Table\",\"Path\":\"%s/\"}\n", data.c_str());
        else if (text.find("\"FSA\"") != std::string::npos)
            std::fprintf(out.get(), "{\"Type\":\"FSA\",\"Path\":\"%s/\"}\n", data.c_str());
        else
            std::fputs(line, out.get());
    }
}

// The default configuration names the data folder's tables and rule networks
// and no remote services.
void WriteDefaultConfig(const std::string& target, const std::string& data) {
    qz::FileHandle out = qz::OpenFile(target, "wb");
    if (!out) return;
    std::fprintf(out.get(), "{\"Type\":\"Table\",\"Path\":\"%s/\"}\r\n", data.c_str());
    std::fprintf(out.get(), "{\"Type\":\"FSA\",\"Path\":\"%s/\"}\r\n", data.c_str());
}

void RunShell(const std::string& command) {
    if (std::system(command.c_str()) == -1) std::printf("can not run %s\n", command.c_str());
}

}  // namespace

void run_example(const char* exampleFile, const char* outputFile, const char* folder) {
    std::string work = folder ? folder : "./work";
    if (!work.empty() && (work.back() == '/' || work.back() == '\\')) work.pop_back();
    const std::string data = work + "/data", image = work + "/image";
    g_szImgPathName = image;

    std::string bytes;
    {
        qz::FileHandle file = qz::OpenFile(exampleFile ? exampleFile : "", "rb");
        if (!file) return;
        bytes.resize(kExampleBytes);
        bytes.resize(std::fread(bytes.data(), 1, kExampleBytes, file.get()));
    }
    const nlohmann::json example = nlohmann::json::parse(bytes, nullptr, false);
    if (example.is_discarded() || !example.is_object()) return;

    for (const std::string& old : {data + "/examtable.idx", data + "/examtable.dat", work + "/config.txt",
                                   work + "/code.lua", work + "/exam.tab"})
        std::remove(old.c_str());
    if (outputFile) std::remove(outputFile);
    for (const std::string& made : {work, data, image}) mkdir(made.c_str(), 0775);

    std::string lua, tab, fsa, cfg;
    if (!Member(example, "lua", lua) || !Member(example, "tab", tab) || !Member(example, "fsa", fsa)) return;

    const std::string config = work + "/config.txt", code = work + "/code.lua", source = work + "/exam.tab";
    if (Member(example, "cfg", cfg) && !cfg.empty())
        WriteGbk(config, cfg);
    else if (Exists("./config.txt"))
        CopyLocalConfig(config, data);
    if (!Exists(config)) WriteDefaultConfig(config, data);

    if (!lua.empty()) WriteGbk(code, lua);
    if (!tab.empty() && WriteGbk(source, tab)) RunShell("./zel -table_s " + source + " " + data);
    if (!fsa.empty() && WriteGbk(source, fsa)) RunShell("./zel -fsa_s " + source + " " + data);

    // The code runs against the tables and rule networks just built.
    InitServer(config.c_str());
    if (outputFile) g_fpLuaOutfile = std::fopen(outputFile, "w");
    RunLua(code.c_str());
    if (g_fpLuaOutfile) std::fclose(g_fpLuaOutfile);
    g_fpLuaOutfile = nullptr;
}

}  // namespace zel
