// Exported entries of the structured index builder.
#include <exception>
#include <string>

#include "include/qavlib.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

// No exception leaves the library through an entry: it fails the build.
template <typename Build>
int RunBuild(const char* const texts[], int count, Build&& build) {
    for (int i = 0; i < count; ++i) {
        if (!texts[i]) {
            QavLog("Error: index build without a path\n");
            return 0;
        }
    }
    try {
        CQAVIdx builder;
        return build(builder);
    } catch (const std::exception& e) {
        QavLog("Error: index build stopped: %s\n", e.what());
    } catch (...) {
        QavLog("Error: index build stopped\n");
    }
    return 0;
}

}  // namespace

}  // namespace qav

int IdxMainAllInOne(const char* configFile, const char* corpusList, const char* indexDir) {
    const char* const texts[] = {configFile, corpusList, indexDir};
    return qav::RunBuild(texts, 3, [&](qav::CQAVIdx& builder) {
        return builder.QAVIdxAllInOne(configFile, corpusList, indexDir);
    });
}

int IdxMain(const char* configFile, const char* orgText, const char* fileList, const char* indexDir) {
    const char* const texts[] = {configFile, orgText, fileList, indexDir};
    return qav::RunBuild(texts, 4,
                         [&](qav::CQAVIdx& builder) { return builder.QAVIdx(configFile, orgText, fileList, indexDir); });
}

