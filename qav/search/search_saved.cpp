// Answers of the search object kept beyond a call: saved result files and the
// JSON answer of a query.
#include "qav/search/qav_search.h"

#include <algorithm>
#include <cjson/cJSON.h>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/file_handle.h"
#include "common/text/encoding.h"
#include "common/text/gbk_char.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/saved_results.h"

namespace qav {

// Saved results: texts and output rows appended to files of the save folder.
namespace {

constexpr int kAllSavedRows = 10240000;

// The file under the save folder for appending; null when there is no
// engine, the name is not a plain file name or the file cannot be opened.
qz::FileHandle OpenSaveFile(const std::string& name) {
    if (!g_pCQAVEngine || !IsPlainFileName(name)) return nullptr;
    const std::string path = g_pCQAVEngine->m_config.m_FileInfo.SavePath + "/" + name;
    return qz::FileHandle(std::fopen(path.c_str(), "ab+"));
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.find("..") != std::string::npos) return false;
    for (size_t at = 0; at < name.size();) {
        const size_t step = qz::GbkCharLen(name.data() + at, name.size() - at);
        if (step == 1 && (name[at] == '/' || name[at] == '\\')) return false;
        at += step;
    }
    return true;
}

bool CQAVSearch::SaveRetBuff(const std::string& text, const std::string& name) {
    qz::FileHandle file = OpenSaveFile(name);
    if (!file) return false;
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::fputc('\n', file.get());
    return qz::CloseFile(file);
}

bool CQAVSearch::SaveRetBuff(uint64_t /*handle*/, const std::string& name, int n) {
    qz::FileHandle file = OpenSaveFile(name);
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
    return qz::CloseFile(file);
}

bool CQAVSearch::OutRetBuff(uint64_t /*handle*/, void* /*response*/, int /*count*/) { return true; }

// The JSON answer of a query: the output rows that the last context,
// frequency or count call left in the search object.
namespace {

// Bytes of GBK taken for a key or source name, and for a context or source
// text; UCS-2 units of the conversion.
constexpr size_t kKeyBytes = 102399;
constexpr size_t kTextBytes = 204799;
constexpr size_t kUcsUnits = 102399;

constexpr std::string_view kSourceMark = "#@#";
constexpr std::string_view kIdMark = "#@ID#";
constexpr size_t kMaxSourceIdChars = 15;

struct JsonDeleter {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
struct PrintDeleter {
    void operator()(char* text) const { cJSON_free(text); }
};

// Whether every byte of the text is an ASCII character other than NUL,
// which reads the same in GBK and in UTF-8.
bool IsPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) - 1u < 0x7Fu; });
}

// UTF-8 form of a GBK text cut at maxBytes (and at kUcsUnits characters).
std::string ToUtf8(std::string_view gbk, size_t maxBytes) {
    const std::string_view cut = gbk.substr(0, qz::GbkPrefixLength(gbk, maxBytes));
    // Names and counts, most of a list of documents, need no conversion.
    if (IsPlainAscii(cut)) return std::string(cut.substr(0, kUcsUnits));
    // A character takes at least one byte, so this many units always hold it.
    const size_t room = std::min(cut.size(), kUcsUnits);
    std::vector<uint16_t> ucs(room + 1);
    const int all = gbk_to_ucs16_ex(cut.data(), static_cast<int>(cut.size()), ucs.data(), static_cast<int>(room));
    const int units = std::clamp(all, 0, static_cast<int>(room));
    std::string utf8(static_cast<size_t>(units) * 3 + 1, '\0');
    const int bytes = cv_ucs16_to_utf8_ex(ucs.data(), units, utf8.data(), static_cast<int>(utf8.size()));
    utf8.resize(static_cast<size_t>(std::clamp(bytes, 0, static_cast<int>(utf8.size()) - 1)));
    return utf8;
}

void AddString(cJSON* object, std::string_view name, std::string_view gbk, size_t maxBytes) {
    cJSON_AddItemToObject(object, std::string(name).c_str(), cJSON_CreateString(ToUtf8(gbk, maxBytes).c_str()));
}

// A context row: {"Source", ["SourceID",] "Context"} when it carries a
// source, else its whole text.
cJSON* ContextElement(std::string_view text) {
    const size_t mark = text.find(kSourceMark);
    if (mark == std::string_view::npos) return cJSON_CreateString(ToUtf8(text, kTextBytes).c_str());
    const std::string_view head = text.substr(0, mark);
    const std::string_view body = text.substr(mark + kSourceMark.size());
    std::string_view source = head;
    std::string_view id;
    if (const size_t idMark = head.find(kIdMark); idMark != std::string_view::npos) {
        source = head.substr(0, idMark);
        id = head.substr(idMark + kIdMark.size());
    }
    cJSON* element = cJSON_CreateObject();
    AddString(element, "Source", source, kKeyBytes);
    if (!id.empty() && id.size() <= kMaxSourceIdChars) AddString(element, "SourceID", id, kKeyBytes);
    AddString(element, "Context", body, kTextBytes);
    return element;
}

}  // namespace

bool CQAVSearch::OutRetJSON(int maxRows, std::string& out) {
    const CFinalRect& rows = m_FinalRect;
    m_nOutPageSize = maxRows == -1 ? std::min(m_nOutPageSize, rows.m_nCount) : std::min(maxRows, rows.m_nCount);
    m_nOutPageSize = std::max(m_nOutPageSize, 0);
    const auto page = rows.m_Rows.begin();
    const auto pageEnd = page + m_nOutPageSize;

    std::unique_ptr<cJSON, JsonDeleter> answer(cJSON_CreateObject());
    if (!answer) return false;
    cJSON* root = answer.get();
    const char* type = m_nOutType != 0 ? "Context" : m_bCountOut ? "Count" : "Freq";
    cJSON_AddStringToObject(root, "Type", type);
    cJSON_AddNumberToObject(root, "Count", rows.m_nCount);
    cJSON_AddNumberToObject(root, "Total", rows.m_nTotal);
    if (m_bApproximate) cJSON_AddStringToObject(root, "Approximate", "1");

    const bool contextMode = rows.m_nCount > 0 && rows.m_Rows[0].count == CFinalRect::kContextRow;
    if (contextMode) {
        cJSON* lines = cJSON_AddArrayToObject(root, "Context");
        for (auto row = page; row != pageEnd; ++row) cJSON_AddItemToArray(lines, ContextElement(row->text));
    } else {
        cJSON* freq = m_bCountOut ? cJSON_AddArrayToObject(root, "Freq") : cJSON_AddObjectToObject(root, "Freq");
        for (auto row = page; row != pageEnd; ++row) {
            if (m_bCountOut) {
                cJSON_AddItemToArray(freq, cJSON_CreateNumber(row->count));
                continue;
            }
            const std::string_view key = std::string_view(row->text).substr(0, row->text.find(kSourceMark));
            if (!key.empty())
                cJSON_AddItemToObject(freq, ToUtf8(key, kKeyBytes).c_str(), cJSON_CreateNumber(row->count));
        }
        if (page != pageEnd && page->text.find(kSourceMark) != std::string::npos) {
            cJSON* sources = cJSON_AddObjectToObject(root, "Source");
            for (auto row = page; row != pageEnd; ++row) {
                const size_t mark = row->text.find(kSourceMark);
                if (mark == std::string::npos) continue;
                const std::string_view text(row->text);
                AddString(sources, ToUtf8(text.substr(0, mark), kKeyBytes),
                          text.substr(mark + kSourceMark.size()), kTextBytes);
            }
        }
    }

    std::unique_ptr<char, PrintDeleter> printed(cJSON_Print(root));
    if (!printed) return false;
    out.assign(printed.get());
    return true;
}

}  // namespace qav
