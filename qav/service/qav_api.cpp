// The exported life cycle of the engine for host programs.
#include <chrono>
#include <cstring>
#include <exception>
#include <string>

#include "include/qavlib.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/index/base/qav_log.h"
#include "qav/service/qav_api.h"
#include "qav/search/filter/query_time.h"
#include "qav/service/query/query2lua.h"
#include "qav/service/query/query_runner.h"
#include "qav/service/query/text_convert.h"
#include "qav/service/engines.h"

namespace qav {

// Whether these functions have started the engine.
unsigned char g_bIsInit = 0;

namespace {

constexpr const char* kConfigName = "config.txt";

std::string Text(const char* text) { return text ? text : ""; }

bool StartEngine(const char* indexDir) {
    if (GlobalInit(kConfigName, Text(indexDir))) g_bIsInit = 1;
    return g_bIsInit;
}

std::string RunQuery(const char* parserFile, const char* indexDir, const char* query) {
    if (!g_bIsInit && !StartEngine(indexDir))
        return "error: cannot start the engine on the index directory \"" + Text(indexDir) + "\"";
    g_queryStartTime = std::chrono::steady_clock::now();
    std::string answer;
    RunQueryText(QavUtf8ToGbk(Text(query), kWholeText), Text(parserFile), answer);
    return answer;
}

}  // namespace

}  // namespace qav

extern "C" {

QZ_EXPORT int QAV_Init(const char* indexDir) {
    if (qav::g_bIsInit) return 1;
    try {
        return qav::StartEngine(indexDir) ? 1 : 0;
    } catch (const std::exception& e) {
        qav::QavLog("Error: engine start stopped: %s\n", e.what());
    }
    return 0;
}

QZ_EXPORT long QAV_RunQAV(const char* parserFile, const char* indexDir, const char* query, char* answer) {
    if (!answer) return 0;
    std::string text;
    try {
        text = qav::RunQuery(parserFile, indexDir, query);
    } catch (const std::exception& e) {
        text = std::string("error: the query stopped: ") + e.what();
    }
    text.resize(qav::QavUtf8PrefixLength(text, qav::kMaxAnswerBytes));
    std::memcpy(answer, text.c_str(), text.size() + 1);
    return static_cast<long>(text.size());
}

QZ_EXPORT int QAV_IndexQAV(const char* configFile, const char* corpusList, const char* indexDir) {
    if (qav::g_bIsInit) qav::GlobalExit();
    qav::g_bIsInit = 0;
    const int built = IdxMainAllInOne(configFile, corpusList, indexDir);
    try {
        qav::StartEngine(indexDir);
    } catch (const std::exception& e) {
        qav::QavLog("Error: engine start stopped: %s\n", e.what());
    }
    return built;
}

QZ_EXPORT int QAV_Exit(void) {
    if (qav::g_bIsInit) qav::GlobalExit();
    qav::g_bIsInit = 0;
    return 1;
}

}  // extern "C"
