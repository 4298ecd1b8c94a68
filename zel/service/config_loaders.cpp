#include "zel/service/config_loaders.h"

#include <cjson/cJSON.h>
#include <dirent.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "include/zellib.h"
#include "zel/rules/net/rule_base.h"
#include "zel/rules/ops/operator_table.h"
#include "zel/rules/tables/table_functions.h"
#include "zel/service/runtime_shims.h"
#include "zel/service/start_state.h"

namespace zel {

namespace {

using JsonPtr = std::unique_ptr<cJSON, decltype(&cJSON_Delete)>;

JsonPtr Parse(const char* text) { return JsonPtr(text ? cJSON_Parse(text) : nullptr, &cJSON_Delete); }

// The string value of key, or null when absent or not a string.
const char* Text(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItem(object, key);
    return cJSON_IsString(item) ? item->valuestring : nullptr;
}

bool EndsWithNoCase(const std::string& name, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return name.size() >= n && strcasecmp(name.c_str() + name.size() - n, suffix) == 0;
}

// Entries of folder whose name is at least minLength bytes and ends (any
// case) with suffix, each cut at its first '.', in directory order.
std::vector<std::string> ListNames(const std::string& folder, const char* suffix, size_t minLength) {
    std::vector<std::string> names;
    struct DirCloser {
        void operator()(DIR* dir) const { closedir(dir); }
    };
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.size() >= minLength && EndsWithNoCase(name, suffix)) names.push_back(name.substr(0, name.find('.')));
    }
    return names;
}

// The string items of a "Data" array; a "Data" that is not an array is an
// empty list.
std::vector<std::string> DataNames(const cJSON* data) {
    std::vector<std::string> names;
    if (!cJSON_IsArray(data)) return names;
    const cJSON* item = nullptr;
    cJSON_ArrayForEach(item, data) {
        if (cJSON_IsString(item)) names.push_back(item->valuestring);
    }
    return names;
}

// "http://host/path", "host:port[/path]", "host/path" or "host".
void SplitServicePath(const std::string& text, std::string& host, int& port, std::string& path) {
    static const std::string kScheme = "http://";
    if (text.compare(0, kScheme.size(), kScheme) == 0) {
        const std::string rest = text.substr(kScheme.size());
        const size_t slash = rest.find('/');
        host = rest.substr(0, slash);
        path = slash == std::string::npos ? "" : rest.substr(slash + 1);
        port = 80;
        return;
    }
    const size_t lastSlash = text.rfind('/');
    path = lastSlash == std::string::npos ? "" : text.substr(lastSlash + 1);
    const size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        port = std::atoi(text.c_str() + colon + 1);
        const size_t slash = text.find('/', colon);
        if (slash != std::string::npos) path = text.substr(slash + 1);
        return;
    }
    const size_t slash = text.find('/');
    if (slash != std::string::npos) {
        host = text.substr(0, slash);
        path = text.substr(slash + 1);
        port = 80;
        return;
    }
    host = text;
    path.clear();
    port = 0;
}

// ip, port and header always; path, category and charset only when given.
CServer MakeServer(const char* ip, int port, const char* header, const char* path, const char* category,
                   const char* charset) {
    auto field = [](const char* text) { return std::string(text ? text : "").substr(0, kServerFieldMax); };
    CServer server;
    server.ip = field(ip);
    server.port = port;
    server.header = field(header);
    server.path = field(path);
    server.category = field(category);
    server.charset = field(charset);
    return server;
}

}  // namespace

bool RuleInit(const char* json) {
    JsonPtr root = Parse(json);
    const char* pathKey = root ? Text(root.get(), "Path") : nullptr;
    if (!pathKey) return false;
    if (g_psFSAPath.empty()) g_psFSAPath = pathKey;
    const std::string folder = g_psFSAPath;
    if (_access(folder.c_str()) != 0) return false;
    g_szNetPath = folder;
    const cJSON* hashSize = cJSON_GetObjectItem(root.get(), "HashSize");
    g_nRuleHashNum = hashSize ? (cJSON_IsNumber(hashSize) ? hashSize->valueint : 0) : 10240;
    // A rule base without buckets cannot hold a network: keep the default.
    if (g_nRuleHashNum <= 0) g_nRuleHashNum = 10240;

    const cJSON* data = cJSON_GetObjectItem(root.get(), "Data");
    std::vector<std::string> names;
    if (data) {
        for (std::string name : DataNames(data)) {
            if (name.find("fsa") == std::string::npos) name += "fsa";
            names.push_back(name);
        }
    } else {
        names = ListNames(folder, "fsa.idx", 8);
    }
    for (const std::string& name : names) {
        g_szFunc = folder + "/" + name + ".sub";
        g_OperatorTable.ReadOneLib(g_szFunc.c_str());
    }
    if (names.empty()) return false;
    const char* sub = Text(root.get(), "Sub");
    g_szFunc = sub ? folder + "/" + sub : folder + "/" + names.front() + ".sub";
    FuncInit(g_szFunc.c_str());
    GlobalInit_Rule(names, folder.c_str(), g_nRuleHashNum);
    return true;
}

bool CollInit(const char* json) {
    JsonPtr root = Parse(json);
    const char* pathKey = root ? Text(root.get(), "Path") : nullptr;
    if (!pathKey) return false;
    if (g_psTablePath.empty()) g_psTablePath = pathKey;
    const cJSON* data = cJSON_GetObjectItem(root.get(), "Data");
    const std::vector<std::string> names = data ? DataNames(data) : ListNames(g_psTablePath, "table.idx", 10);
    if (names.empty()) return false;
    GlobalInit_Coll(names, g_psTablePath.c_str());
    if (const char* ontology = Text(root.get(), "Ontology")) TableClusterOntology(ontology);
    return true;
}

bool LMInit(const char* json) {
    JsonPtr root = Parse(json);
    if (!root) return false;
    const char* folder = Text(root.get(), "Path");
    const char* left = Text(root.get(), "Left");
    const char* right = Text(root.get(), "Right");
    if (!folder || !left || !right) return false;
    const char* lm = Text(root.get(), "LM");
    auto file = [folder](const char* model, const char* ext) {
        return model ? std::string(folder) + "/" + model + ext : std::string();
    };
    if (HZNGramInit(file(left, ".idx").c_str(), file(left, ".dat").c_str(), file(lm, ".idx").c_str(),
                    file(lm, ".dat").c_str(), file(right, ".idx").c_str(), file(right, ".dat").c_str()) != 0)
        g_bIsLMInit = true;
    return true;
}

bool LogInit(const char* json) {
    JsonPtr root = Parse(json);
    const char* folder = root ? Text(root.get(), "Path") : nullptr;
    const char* name = root ? Text(root.get(), "Data") : nullptr;
    if (!folder || !name) return false;
    g_szLogFile = (std::string(folder) + "/" + name).substr(0, 1023);
    return true;
}

void AddServer(const char* json) {
    static const char* const kDefaultHeader = "Content-Type: text/plain";
    JsonPtr root = Parse(json);
    if (!root) return;
    const char* name = Text(root.get(), "name");
    if (!name) return;
    CServer server;
    if (cJSON_GetObjectItem(root.get(), "IP")) {
        const char* ip = Text(root.get(), "IP");
        const cJSON* port = cJSON_GetObjectItem(root.get(), "Port");
        if (!ip || !cJSON_IsNumber(port)) return;
        const char* header = Text(root.get(), "Header");
        server = MakeServer(ip, port->valueint, header ? header : kDefaultHeader, Text(root.get(), "Path"),
                         Text(root.get(), "Category"), Text(root.get(), "Charset"));
    } else {
        const char* pathText = Text(root.get(), "Path");
        if (!pathText) return;
        std::string host, path;
        int port = 0;
        SplitServicePath(pathText, host, port, path);
        server = MakeServer(host.c_str(), port, kDefaultHeader, path.c_str(), Text(root.get(), "Category"),
                         Text(root.get(), "Charset"));
    }
    g_Server[name] = server;
}

}  // namespace zel
