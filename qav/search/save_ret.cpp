// Saved results: texts and output rows appended to files of the save folder.
#include <algorithm>
#include <cstdio>
#include <string>

#include "common/platform/file_handle.h"
#include "common/text/gbk_char.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/qav_search.h"
#include "qav/search/saved_results.h"

namespace {

constexpr int kAllSavedRows = 10240000;

// The file under the save folder for appending; null when there is no
// engine, the name is not a plain file name or the file cannot be opened.
FileHandle OpenSaveFile(const std::string& name) {
    if (!g_pCQAVEngine || !IsPlainFileName(name)) return nullptr;
    const std::string path = g_pCQAVEngine->m_config.m_FileInfo.SavePath + "/" + name;
    return FileHandle(std::fopen(path.c_str(), "ab+"));
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.find("..") != std::string::npos) return false;
    for (size_t at = 0; at < name.size();) {
        const size_t step = GbkCharLen(name.data() + at, name.size() - at);
        if (step == 1 && (name[at] == '/' || name[at] == '\\')) return false;
        at += step;
    }
    return true;
}

bool CQAVSearch::SaveRetBuff(const std::string& text, const std::string& name) {
    FileHandle file = OpenSaveFile(name);
    if (!file) return false;
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::fputc('\n', file.get());
    return CloseFile(file);
}

bool CQAVSearch::SaveRetBuff(uint64_t /*handle*/, const std::string& name, int n) {
    FileHandle file = OpenSaveFile(name);
    if (!file) return false;
    const CFinalRect& rows = m_FinalRect;
    std::fprintf(file.get(), "<Total>:%d\n", rows.m_nCount);
    const int limit = n == -1 ? kAllSavedRows : n;
    const int m = std::max(0, std::min(rows.m_nCount, limit));
    const bool context = rows.m_nCount > 0 && rows.m_Rows[0].count == CFinalRect::kContextRow;
    for (int i = 0; i < m; ++i) {
        const CFinalRectRow& row = rows.m_Rows[static_cast<size_t>(i)];
        if (context) {
            if (!row.text.empty()) std::fprintf(file.get(), "%s\n", row.text.c_str());
        } else if (!row.text.empty()) {
            std::fprintf(file.get(), "%s\t%d\n", row.text.c_str(), row.count);
        } else {
            std::fprintf(file.get(), "%d\n", row.count);
        }
    }
    return CloseFile(file);
}

bool CQAVSearch::OutRetBuff(uint64_t /*handle*/, void* /*response*/, int /*count*/) { return true; }
