// The document table written back as ORGDAT from "Org.txt" alone, and
// exported as text for inspection.
#include <cinttypes>

#include "common/platform/file_handle.h"
#include "qav/index/engine/org_info.h"
#include "qav/index/base/qav_log.h"

namespace qav {

bool COrgInfo::RewriteOrg(const std::string& orgText, const std::string& path) {
    return InitOrgEx(orgText) && WriteOrg(path);
}

bool COrgInfo::PrintOrgInfo(const std::string& orgDat, const std::string& textPath) {
    if (!OrgInfoInit(orgDat)) return false;
    qz::FileHandle out = qz::OpenFile(textPath, "wb");
    if (!out) {
        QavLog("Error open %s\n", textPath.c_str());
        return false;
    }
    // Keys are unsigned: the end of the last document is the largest key.
    for (int32_t i = 0; i < EntryCount(); ++i) {
        const std::string& name = names_[static_cast<size_t>(i)];
        fprintf(out.get(), "#%d\t%" PRIu64 "\nI:", i, keys_[static_cast<size_t>(i)]);
        fwrite(name.data(), 1, name.size(), out.get());
        fputc('\n', out.get());
    }
    return qz::CloseFile(out);
}

bool COrgInfo::OutOrg(const std::string& orgDat, const std::string& textPath) {
    if (!PrintOrgInfo(orgDat, textPath)) return false;
    QavLog("Exported information successfully!\n");
    return true;
}

}  // namespace qav
