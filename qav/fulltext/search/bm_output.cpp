// Outputs of a full-text search: document texts and JSON objects, pages of
// documents and identifiers, and saved result files.
#include <cjson/cJSON.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/platform/file_handle.h"
#include "common/text/text_utils.h"
#include "qav/fulltext/search/bm_json_text.h"
#include "qav/fulltext/search/bm_search.h"
#include "qav/index/base/qav_log.h"
#include "qav/search/saved_results.h"

namespace qav {

namespace {

// A document's text and one field text are cut at this many bytes.
constexpr size_t kMaxDocumentText = 102399;
// The information pairs of one record, as GetRet and saved files show them.
constexpr size_t kMaxInfoPairs = 10239;
// Records a saved file takes when asked for all of them.
constexpr int32_t kAllSavedRecords = 10240000;

// Selected names: every "DocInfo" key and "Field" when the selection names none.
struct Selection {
    std::set<std::string> names;
    bool Has(const std::string& name) const { return names.empty() || names.count(name) != 0; }
};

Selection Select(const std::string& fields) {
    Selection selection;
    qz::SplitStringEx(fields.c_str(), " ,;", selection.names);
    return selection;
}

int64_t RecordKey(const bm::Posting& record) { return bm::DocKey(record.shard, record.docOffset); }

std::string FieldText(const bm::CDocInfo& doc, size_t field, int64_t key) {
    if (!g_pBMEngine || 2 * field + 1 >= doc.fields.size()) return std::string();
    return g_pBMEngine->GetFieldText(static_cast<uint8_t>(key >> 32), doc.fields[2 * field], doc.fields[2 * field + 1],
                                     kMaxDocumentText);
}

// The records of a page: from pageNo * e while below count and below
// e * (pageNo + 1), with e = min(count, pageSize).
std::pair<int64_t, int64_t> PageRange(int32_t count, int32_t pageSize, int32_t pageNo) {
    const int64_t e = std::max<int64_t>(0, std::min(count, pageSize));
    const int64_t begin = std::max<int64_t>(0, static_cast<int64_t>(pageNo) * e);
    const int64_t end = std::min<int64_t>(count, e * (static_cast<int64_t>(pageNo) + 1));
    return {begin, std::max(begin, end)};
}

void AppendPrinted(cJSON* root, std::string* out) {
    std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_PrintUnformatted(root), cJSON_free);
    if (text) out->append(text.get());
    cJSON_Delete(root);
}

}  // namespace

size_t CBMSearch::GetDocInfoBuff(int64_t key, const std::string& fields, std::string* out) {
    out->clear();
    if (!g_pBMEngine) return 0;
    const Selection selection = Select(fields);
    bm::CDocInfo doc;
    DecodeDocument(key, &doc);
    BoundedText text(kMaxDocumentText);
    text.Append("{\n");
    for (const std::string& name : g_pBMEngine->m_Config.m_DocInfo) {
        const auto value = doc.info.find(name);
        const bool shown = selection.Has(name) && value != doc.info.end();
        text.Append("\"" + JsonEscaped(name) + "\":\"" + (shown ? JsonEscaped(value->second) : "") + "\",\n");
    }
    const std::vector<std::string>& fieldNames = g_pBMEngine->m_Config.m_Field;
    for (size_t i = 0; i < fieldNames.size(); ++i) {
        const std::string body = selection.Has(fieldNames[i]) ? JsonEscaped(FieldText(doc, i, key)) : "";
        text.Append("\"" + JsonEscaped(fieldNames[i]) + "\":\"" + body + "\",\n");
    }
    *out = text.Take();
    if (out->size() >= 2) out->replace(out->size() - 2, 2, "\n}");
    return out->size();
}

bool CBMSearch::GetDocInfoBuffJSON(int64_t key, const std::string& fields, cJSON* object) {
    if (!object || !g_pBMEngine) return false;
    const Selection selection = Select(fields);
    bm::CDocInfo doc;
    DecodeDocument(key, &doc);
    for (const std::string& name : g_pBMEngine->m_Config.m_DocInfo) {
        const auto value = doc.info.find(name);
        const bool shown = selection.Has(name) && value != doc.info.end();
        cJSON_AddStringToObject(object, name.c_str(), shown ? value->second.c_str() : "");
    }
    const std::vector<std::string>& fieldNames = g_pBMEngine->m_Config.m_Field;
    for (size_t i = 0; i < fieldNames.size(); ++i)
        cJSON_AddStringToObject(object, fieldNames[i].c_str(),
                                selection.Has(fieldNames[i]) ? FieldText(doc, i, key).c_str() : "");
    return true;
}

bool CBMSearch::GetDocInfo(const CBMRet& slot, int32_t n, std::string* out) {
    out->clear();
    if (n < 0 || n >= slot.m_nDocNum || !slot.HasArray()) return false;
    bm::CDocInfo doc;
    if (!DecodeDocument(RecordKey(slot[n]), &doc)) return false;
    BoundedText text(kMaxInfoPairs);
    for (const auto& [name, value] : doc.info) text.Append(name + "=" + value + ";");
    *out = text.Take();
    return true;
}

namespace {

// The save file for appending, or null (logged) when the name is not a
// plain file name, no save folder is configured or the file does not open.
qz::FileHandle OpenSaveFile(const std::string& name) {
    const std::string folder = g_pBMEngine ? g_pBMEngine->m_Config.m_FileInfo.SavePath : std::string();
    const std::string path = folder + "/" + name;
    qz::FileHandle file;
    if (!folder.empty() && IsPlainFileName(name)) file = qz::FileHandle(std::fopen(path.c_str(), "ab+"));
    if (!file) QavLog("Error save %s!\n", path.c_str());
    return file;
}

}  // namespace

bool CBMSearch::SaveRetBuff(int64_t handle, const std::string& name, int32_t n) {
    const CBMRet* slot = SlotOf(handle);
    if (!slot) return false;
    qz::FileHandle file = OpenSaveFile(name);
    if (!file) return false;
    std::fprintf(file.get(), "<Total>:%d\n", slot->m_nDocNum);
    const int32_t count = std::min(slot->m_nDocNum, n == -1 ? kAllSavedRecords : n);
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        GetDocInfo(*slot, i, &text);
        std::fprintf(file.get(), "%s\n", text.c_str());
    }
    return qz::CloseFile(file);
}

bool CBMSearch::SaveRetBuff(const std::string& text, const std::string& name) {
    qz::FileHandle file = OpenSaveFile(name);
    if (!file) return false;
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::fputc('\n', file.get());
    return qz::CloseFile(file);
}

bool CBMSearch::GetOrgBuffJSON(int64_t handle, int32_t pageSize, int32_t pageNo, const std::string& fields) {
    const CBMRet* slot = SlotOf(handle);
    if (!slot) return false;
    cJSON* root = cJSON_CreateObject();
    cJSON_AddStringToObject(root, "type", "Org");
    cJSON_AddNumberToObject(root, "total", slot->m_nDocNum);
    cJSON* res = cJSON_AddArrayToObject(root, "res");
    const auto [begin, end] = PageRange(slot->m_nDocNum, pageSize, pageNo);
    for (int64_t i = begin; i < end; ++i) {
        cJSON* doc = cJSON_CreateObject();
        GetDocInfoBuffJSON(RecordKey((*slot)[static_cast<int32_t>(i)]), fields, doc);
        cJSON_AddItemToArray(res, doc);
    }
    AppendPrinted(root, &m_WebOut);
    return true;
}

bool CBMSearch::GetIDBuffJSON(int64_t handle, int32_t pageSize, int32_t pageNo) {
    const CBMRet* slot = SlotOf(handle);
    if (!slot || !g_pBMEngine) return false;
    QavLogOnly("pBMRet->m_nDocNum:%d\n", slot->m_nDocNum);
    cJSON* root = cJSON_CreateObject();
    cJSON_AddStringToObject(root, "type", "ID");
    cJSON_AddNumberToObject(root, "total", slot->HasArray() ? slot->m_nDocNum : 0);
    cJSON* res = cJSON_AddArrayToObject(root, "res");
    const std::string& idName = g_pBMEngine->m_Config.m_DocIDName;
    const auto [begin, end] = PageRange(slot->m_nDocNum, pageSize, pageNo);
    for (int64_t i = begin; i < end; ++i) {
        bm::CDocInfo doc;
        DecodeDocument(RecordKey((*slot)[static_cast<int32_t>(i)]), &doc);
        const auto id = doc.info.find(idName);
        cJSON_AddItemToArray(res, cJSON_CreateString(id != doc.info.end() ? id->second.c_str() : ""));
    }
    AppendPrinted(root, &m_WebOut);
    return true;
}

}  // namespace qav
