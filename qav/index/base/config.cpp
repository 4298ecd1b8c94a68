#include "qav/index/base/config.h"

#include <cjson/cJSON.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/platform/file_handle.h"
#include "qav/index/base/qav_log.h"

namespace qav {

int g_nEngineType = kEngineStructured;
int g_nSortCompWordLen = 10;

namespace {

constexpr int32_t kMaxBuildThreads = 255;
// Stop-word lines are read in pieces of at most this many bytes less one.
constexpr size_t kStopWordLineBuffer = 102400;

void WarnSkipped(const char* key, const char* expected) {
    QavLog("Warning: config key \"%s\" is not %s, skipped\n", key, expected);
}

// The string value of key, or null when absent; a value of another type is
// skipped with a warning.
const char* StringValue(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (!item) return nullptr;
    if (!cJSON_IsString(item) || !item->valuestring) {
        WarnSkipped(key, "a string");
        return nullptr;
    }
    return item->valuestring;
}

// The object under key, or null when absent or of another type (warned).
const cJSON* ObjectValue(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (!item) return nullptr;
    if (!cJSON_IsObject(item)) {
        WarnSkipped(key, "an object");
        return nullptr;
    }
    return item;
}

// Calls add for every string of the array under key; other items are skipped.
template <class Add>
void ForEachString(const cJSON* object, const char* key, Add add) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (!item) return;
    if (!cJSON_IsArray(item)) {
        WarnSkipped(key, "an array of strings");
        return;
    }
    const cJSON* element = nullptr;
    cJSON_ArrayForEach(element, item) {
        if (cJSON_IsString(element) && element->valuestring)
            add(std::string(element->valuestring));
        else
            QavLog("Warning: config key \"%s\" has an item that is not a string, skipped\n", key);
    }
}

void AddStrings(const cJSON* object, const char* key, StrSet& to) {
    ForEachString(object, key, [&to](std::string s) { to.insert(std::move(s)); });
}

void AppendStrings(const cJSON* object, const char* key, std::vector<std::string>& to) {
    ForEachString(object, key, [&to](std::string s) { to.push_back(std::move(s)); });
}

// "Yes"/"No" keys; anything else leaves the flag.
void ReadYesNo(const cJSON* object, const char* key, bool& flag) {
    const char* value = StringValue(object, key);
    if (!value) return;
    if (strcmp(value, "Yes") == 0) flag = true;
    else if (strcmp(value, "No") == 0) flag = false;
}

// 32-bit integer keys take a number's integer value; another type counts as 0.
void ReadInt(const cJSON* object, const char* key, int32_t& to) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (!item) return;
    if (!cJSON_IsNumber(item)) {
        QavLog("Warning: config key \"%s\" is not a number, taken as 0\n", key);
        to = 0;
        return;
    }
    to = item->valueint;
}

// 64-bit keys are decimal integers written as JSON strings (beyond a double's
// exact range).
bool ReadInt64Text(const cJSON* object, const char* key, int64_t& to) {
    const char* value = StringValue(object, key);
    if (!value) return false;
    to = atoll(value);
    return true;
}

void ReadFloatText(const cJSON* object, const char* key, float& to) {
    const char* value = StringValue(object, key);
    if (value) to = static_cast<float>(atof(value));
}

bool Contains(const StrSet& set, std::string_view text) {
    return set.find(text) != set.end();
}

}  // namespace

void CFileInfo::SetFileInfo(const cJSON* section, const std::string& indexDir,
                            const std::string& infoDir) {
    const std::string d = indexDir + "/";
    const std::string i = infoDir + "/";
    if (const char* v = StringValue(section, "Offset")) Offset = d + v;
    if (const char* v = StringValue(section, "Unit")) {
        Unit = d + v;
        UnitInInfo = i + v;
    }
    if (const char* v = StringValue(section, "Data")) {
        Data = d + v;
        DataInInfo = i + v;
    }
    if (const char* v = StringValue(section, "WordList")) {
        WordList = d + v;
        WordListInInfo = i + v;
    }
    if (const char* v = StringValue(section, "OrgDat")) OrgDat = d + v;
    if (const char* v = StringValue(section, "SavePath")) SavePath = v;
    if (const char* v = StringValue(section, "CatTable")) CatTable = d + v;
    if (const char* v = StringValue(section, "SentInfo")) SentInfo = d + v;
    if (const char* v = StringValue(section, "DocInfo")) DocInfo = d + v;
}

namespace {

// The "SizeInfo" keys read into their member as they stand; a missing key
// keeps the member's default (its initializer in CSizeInfo). Keys whose
// reading depends on another key, or that set more than their member, are
// read by SizeInfoInit itself.
struct Int32Key {
    const char* name;
    int32_t CSizeInfo::*member;
};
constexpr Int32Key kInt32Keys[] = {
    {"ThreadNum_AS", &CSizeInfo::ThreadNum_AS},
    {"HashSize_IdxUnit", &CSizeInfo::HashSize_IdxUnit},
    {"HashSize_WordList", &CSizeInfo::HashSize_WordList},
    {"HashTagSize_Merge", &CSizeInfo::HashTagSize_Merge},
    {"MaxAtomSearchRetSize", &CSizeInfo::MaxAtomSearchRetSize},
    {"RetInfoMaxSize", &CSizeInfo::RetInfoMaxSize},
    {"RetBuffSize", &CSizeInfo::RetBuffSize},
    {"MinIdxUnitCount_ForComplexIdx", &CSizeInfo::MinIdxUnitCount_ForComplexIdx},
    {"QueryTimeLimitMs", &CSizeInfo::QueryTimeLimitMs},
    {"LuaMemoryLimitMB", &CSizeInfo::LuaMemoryLimitMB},
};

struct Int64Key {
    const char* name;
    int64_t CSizeInfo::*member;
};
constexpr Int64Key kInt64Keys[] = {
    {"MaxOffsetFileSize", &CSizeInfo::MaxOffsetFileSize},
    {"MaxMemCount", &CSizeInfo::MaxMemCount},
    {"ToFreeMemCount", &CSizeInfo::ToFreeMemCount},
    {"MaxUnitCount_ToSort", &CSizeInfo::MaxUnitCount_ToSort},
    {"MaxUnitCount_ToSearch", &CSizeInfo::MaxUnitCount_ToSearch},
};

}  // namespace

void CSizeInfo::SizeInfoInit(const cJSON* section) {
    for (const Int32Key& key : kInt32Keys) ReadInt(section, key.name, this->*key.member);
    for (const Int64Key& key : kInt64Keys) ReadInt64Text(section, key.name, this->*key.member);

    // The thread counts are capped, and the offset stage follows the count
    // stage unless it is set itself.
    ReadInt(section, "ThreadNum_Count", ThreadNum_Count);
    if (ThreadNum_Count > kMaxBuildThreads) ThreadNum_Count = kMaxBuildThreads;
    ThreadNum_Offset = ThreadNum_Count;
    ReadInt(section, "ThreadNum_Offset", ThreadNum_Offset);
    ReadInt(section, "ThreadNum_Sort", ThreadNum_Sort);
    if (ThreadNum_Sort > kMaxBuildThreads) ThreadNum_Sort = kMaxBuildThreads;
    if (cJSON_GetObjectItemCaseSensitive(section, "SortCompWordLen")) {
        ReadInt(section, "SortCompWordLen", SortCompWordLen);
        g_nSortCompWordLen = SortCompWordLen;
    }
    int64_t sentInfo = 0;
    if (ReadInt64Text(section, "HashSize_SentInfo", sentInfo))
        HashSize_SentInfo = static_cast<int32_t>(static_cast<uint32_t>(sentInfo));

    BM_K1 = 2;
    BM_K2 = 1;
    BM_B = 0.75f;
    BM25F_B = 0.4f;
    FieldWeights = {{"title", 10}, {"abstract", 7}, {"claim", 3}, {"description", 3}};
    ReadFloatText(section, "BM_K1", BM_K1);
    ReadFloatText(section, "BM_K2", BM_K2);
    ReadFloatText(section, "BM_B", BM_B);
    ReadFloatText(section, "BM25F_B", BM25F_B);
    ReadFloatText(section, "BM25F_WT", FieldWeights["title"]);
    ReadFloatText(section, "BM25F_WA", FieldWeights["abstract"]);
    ReadFloatText(section, "BM25F_WC", FieldWeights["claim"]);
    ReadFloatText(section, "BM25F_WD", FieldWeights["description"]);
}

void CCache::CacheInit(const cJSON* section) {
    AddStrings(section, "POS_R", POS_R);
    AddStrings(section, "POS_L", POS_L);
    AddStrings(section, "HZ_L", HZ_L);
    AddStrings(section, "HZ_R", HZ_R);
    AddStrings(section, "ML", ML);
    AddStrings(section, "MR", MR);
}

bool CConfig::ConfigInit(const std::string& configPath, const std::string& indexDir) {
    // A restart reuses the engine's object; start over so lists do not grow.
    *this = CConfig();
    m_IndexDir = indexDir;
    m_InfoDir = indexDir + "/Info";

    std::string text;
    if (!qz::ReadWholeFile(configPath, text)) return false;
    std::unique_ptr<cJSON, void (*)(cJSON*)> root(cJSON_ParseWithLength(text.data(), text.size()),
                                                  cJSON_Delete);
    if (!root) {
        QavLog("Error cJSON_Parse %s !\n", configPath.c_str());
        return false;
    }
    const cJSON* json = root.get();
    if (!cJSON_IsObject(json)) {
        QavLog("Warning: config file %s is not a JSON object, nothing applied\n", configPath.c_str());
        return true;
    }

    if (const cJSON* s = ObjectValue(json, "FileInfo")) m_FileInfo.SetFileInfo(s, m_IndexDir, m_InfoDir);
    if (const cJSON* s = ObjectValue(json, "SizeInfo")) m_SizeInfo.SizeInfoInit(s);
    if (const char* v = StringValue(json, "Language")) {
        if (strcmp(v, "Chinese") == 0) m_Language = 0;
        else if (strcmp(v, "English") == 0) m_Language = 1;
    }
    ReadYesNo(json, "IsFast", m_IsFast);
    ReadYesNo(json, "DelNumber", m_DelNumber);
    if (const cJSON* item = cJSON_GetObjectItemCaseSensitive(json, "LowFreq")) {
        if (cJSON_IsNumber(item)) m_LowFreq = item->valueint;
        else WarnSkipped("LowFreq", "a number");
    }
    if (const cJSON* s = ObjectValue(json, "Cache")) m_Cache.CacheInit(s);
    AddStrings(json, "Clause Seperator", m_ClauseSeperator);
    AddStrings(json, "StopPOS", m_StopPOS);
    AddStrings(json, "Sentence Seperator", m_SentenceSeperator);
    AddStrings(json, "SubTree Cat", m_SubTreeCat);
    AddStrings(json, "StopTag", m_StopTag);

    if (g_nEngineType != kEngineFullText) return true;
    if (const char* v = StringValue(json, "StopWord")) {
        const std::string stopWordFile = v;
        if (!ReadStopWords(stopWordFile)) {
            QavLog("read  %s error!\n", stopWordFile.c_str());
            return false;
        }
    }
    AddStrings(json, "StopPOS", m_StopPOS);
    if (const char* v = StringValue(json, "DocID_Name")) m_DocIDName = v;
    AppendStrings(json, "Field", m_Field);
    AppendStrings(json, "DocInfo", m_DocInfo);
    AddStrings(json, "DocInfo_Type_Number", m_DocInfoTypeNumber);
    AddStrings(json, "DocInfo_Type_String", m_DocInfoTypeString);
    return true;
}

bool CConfig::ReadStopWords(const std::string& path) {
    qz::FileHandle file = qz::OpenFile(path, "rb");
    if (!file) {
        QavLog("Error open %s\n", path.c_str());
        return false;
    }
    std::vector<char> line(kStopWordLineBuffer);
    while (fgets(line.data(), static_cast<int>(line.size()), file.get())) {
        size_t n = strlen(line.data());
        while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) --n;
        if (n > 0) m_StopWord.emplace(line.data(), n);
    }
    return true;
}

bool CConfig::IsSeperator_Clause(std::string_view text) const {
    return !m_ClauseSeperator.empty() && Contains(m_ClauseSeperator, text);
}

bool CConfig::IsSeperator_Sentence(std::string_view text) const {
    return Contains(m_SentenceSeperator, text);
}

bool CConfig::IsSeperator_SubTree(std::string_view text) const {
    return Contains(m_SubTreeCat, text);
}

bool CConfig::IsNotToIndex(std::string_view text) const {
    return Contains(m_StopTag, text);
}

}  // namespace qav
