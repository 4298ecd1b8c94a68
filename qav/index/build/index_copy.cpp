#include "qav/index/build/index_copy.h"

#include <cstdio>
#include <memory>

#include "common/platform/file_handle.h"
#include "qav/index/base/build_inputs.h"
#include "qav/index/format/index_files.h"
#include "qav/index/base/qav_log.h"

namespace qav {

bool MergeCorpusIDFiles(int groupCount, const std::string& dir, const std::string& infoDataPrefix) {
    const std::string mergedPath = JoinPath(dir, kCorpusIdName);
    qz::FileHandle merged(std::fopen(mergedPath.c_str(), "wb"));
    if (!merged) {
        QavLog("Error open %s\n", mergedPath.c_str());
        return false;
    }
    for (int group = 0; group < groupCount; ++group) {
        const std::string path = IdFilePath(infoDataPrefix, group);
        qz::FileHandle in(std::fopen(path.c_str(), "rb"));
        if (!in || !CopyBytes(in.get(), merged.get())) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
    }
    if (std::fclose(merged.release()) != 0) {
        QavLog("Error open %s\n", mergedPath.c_str());
        return false;
    }
    return true;
}

}  // namespace qav
