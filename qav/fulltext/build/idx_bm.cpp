// Exported entry of the full-text index builder.
#include <exception>

#include "include/qavlib.h"
#include "qav/fulltext/build/bm_idx.h"
#include "qav/index/base/qav_log.h"

int IdxBM(const char* configFile, const char* fileList, const char* indexDir) {
    if (!configFile || !fileList || !indexDir) {
        qav::QavLog("Error: index build without a path\n");
        return 0;
    }
    // No exception leaves the library through an entry: it fails the build.
    try {
        qav::bm::CBMIdx builder;
        return builder.BMIdx(configFile, fileList, indexDir);
    } catch (const std::exception& e) {
        qav::QavLog("Error: index build stopped: %s\n", e.what());
    } catch (...) {
        qav::QavLog("Error: index build stopped\n");
    }
    return 0;
}
