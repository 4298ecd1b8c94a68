// The exported entries of the start-up code that nothing in the library
// calls: the older n-gram path reader, the segmentation folder and the reset
// of the corpus-query client buffers.
#include <cjson/cJSON.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "include/zellib.h"
#include "zel/service/start_state.h"

namespace {

void CopyPath(const std::string& path, char* out) {
    std::snprintf(out, ZEL_PATH_BYTES, "%s", path.c_str());
}

}  // namespace

extern "C" {

int ReadConfig(const char* file, char* leftIndex, char* leftData, char* middleIndex, char* middleData,
               char* rightIndex, char* rightData) {
    std::unique_ptr<FILE, decltype(&std::fclose)> in(file ? std::fopen(file, "rb") : nullptr, &std::fclose);
    if (!in) return 0;
    std::string folder;
    char line[1024];
    while (std::fgets(line, sizeof line, in.get())) {
        size_t n = std::strlen(line);
        if (n > 0 && line[n - 1] == '\n') line[--n] = '\0';
        if (n > 0 && line[n - 1] == '\r') line[--n] = '\0';
        if (std::strstr(line, "LMPath:")) folder = std::string(line + 7).substr(0, 511);
        struct Model {
            const char* tag;
            char* index;
            char* data;
        };
        for (const Model& model : {Model{"LM_L:", leftIndex, leftData}, Model{"LM_M:", middleIndex, middleData},
                                   Model{"LM_R:", rightIndex, rightData}}) {
            if (!std::strstr(line, model.tag) || n < 5) continue;
            const std::string base = folder + "/" + (line + 5);
            CopyPath(base + ".idx", model.index);
            CopyPath(base + ".dat", model.data);
        }
    }
    return 1;
}

int SegInit(const char* json) {
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(json ? cJSON_Parse(json) : nullptr, &cJSON_Delete);
    const cJSON* path = root ? cJSON_GetObjectItem(root.get(), "Path") : nullptr;
    if (!cJSON_IsString(path)) return 0;
    zel::g_szSegPath = std::string(path->valuestring).substr(0, 1023);
    return 1;
}

void InitBuff(void) {
    for (int i = 0; i < zel::kQueryClients; ++i) {
        zel::g_psRetJP[i] = nullptr;
        zel::g_nRetNumJP[i] = 0;
    }
    zel::g_nCurrentRetNoJP = 0;
    zel::g_mapIP2No.clear();
}

}  // extern "C"
