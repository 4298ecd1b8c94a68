// "Engine.txt": engine kind, language and corpus size of an index directory.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "qav/index/base/config.h"
#include "common/platform/file_handle.h"
#include "common/text/line_reader.h"

namespace qav {

int64_t g_nCorpusSize = 0;

namespace {

std::string EngineFilePath(const std::string& indexDir) { return indexDir + "/Engine.txt"; }

// Calls visit with each line (line feed and carriage return cut, at most
// 1,023 bytes a piece) until it returns true; nothing without a file.
template <class Visit>
void ScanLines(const std::string& indexDir, Visit visit) {
    qz::LineReader reader(EngineFilePath(indexDir), 1024, qz::LongLines::kSplit);
    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd)
        if (visit(line.c_str())) return;
}

}  // namespace

bool SetEngineType(const CConfig* config, const std::string& indexDir, int kind) {
    g_nEngineType = kind;
    qz::FileHandle file = qz::OpenFile(EngineFilePath(indexDir), "wb");
    if (!file) return false;
    if (kind == kEngineStructured) fputs("Engine=QAV\n", file.get());
    else if (kind == kEngineFullText) fputs("Engine=BM\n", file.get());
    if (config && config->m_Language == 0) fputs("Language=Chinese\n", file.get());
    else if (config && config->m_Language == 1) fputs("Language=English\n", file.get());
    if (g_nCorpusSize > 0) fprintf(file.get(), "CorpusSize=%lld\n", static_cast<long long>(g_nCorpusSize));
    // A short write would leave an index that reads back as another kind.
    return fflush(file.get()) == 0 && !ferror(file.get());
}

int GetEngineType(const std::string& indexDir) {
    int type = 0;
    ScanLines(indexDir, [&type](const char* line) {
        if (strstr(line, "Engine=QAV")) type = 1;
        else if (strstr(line, "Engine=BM")) type = 2;
        return type != 0;
    });
    return type;
}

int64_t GetCorpusSize(const std::string& indexDir) {
    static const char kKey[] = "CorpusSize=";
    int64_t size = 0;
    ScanLines(indexDir, [&size](const char* line) {
        if (strncmp(line, kKey, sizeof kKey - 1) != 0) return false;
        size = atoll(line + sizeof kKey - 1);
        return true;
    });
    return size;
}

int GetEngineLanguageType(const std::string& indexDir) {
    int language = 0;
    ScanLines(indexDir, [&language](const char* line) {
        if (strstr(line, "Language=English")) {
            language = 1;
            return true;
        }
        return strstr(line, "Language=Chinese") != nullptr;
    });
    return language;
}

}  // namespace qav
