// Configuration of the retrieval library: the JSON file "config.txt" and the
// line file "Engine.txt" of an index directory.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct cJSON;

namespace qav {

// Ordered set of GBK strings that can be searched with a string_view.
using StrSet = std::set<std::string, std::less<>>;

// Engine kinds (values of g_nEngineType and of SetEngineType's kind).
constexpr int kEngineStructured = 0;
constexpr int kEngineFullText = 1;

// Process-wide engine kind; ConfigInit reads the full-text keys only when it is
// kEngineFullText. Set by SetEngineType and by every structured start-up.
extern int g_nEngineType;
// Context words compared when offset records are sorted and searched; 10 until
// a "SizeInfo" section with "SortCompWordLen" is read.
extern int g_nSortCompWordLen;
// Bytes of the corpus being built; written into "Engine.txt" when above 0.
extern int64_t g_nCorpusSize;
// Largest corpus (sum of the corpus files' sizes) that a build accepts and
// an engine starts on.
constexpr int64_t kMaxCorpusBytes = 1073741824;

// Paths of the index files, made from the "FileInfo" section.
class CFileInfo {
public:
    std::string Data;
    std::string Offset;
    std::string WordList;
    std::string Unit;
    std::string OrgDat;
    std::string SavePath;
    std::string CatTable;
    std::string UnitInInfo;
    std::string DataInInfo;
    std::string WordListInInfo;
    std::string SentInfo;
    std::string DocInfo;

    // Applies a "FileInfo" object; values that are not strings are skipped.
    void SetFileInfo(const cJSON* section, const std::string& indexDir, const std::string& infoDir);
};

// Thread counts, table sizes and bounds, from the "SizeInfo" section. Hash
// sizes of 0 mean 1,048,576 to their users.
class CSizeInfo {
public:
    int32_t ThreadNum_Count = 1;   // capped at 255
    int32_t ThreadNum_Offset = 1;  // follows ThreadNum_Count when a section is read
    int32_t ThreadNum_Sort = 1;    // capped at 255
    int32_t ThreadNum_AS = 1;
    int32_t HashSize_IdxUnit = 102400;
    int32_t HashSize_WordList = 10240000;
    int32_t HashTagSize_Merge = 1024000;
    int32_t MaxAtomSearchRetSize = 102400;
    int32_t RetInfoMaxSize = 102400;
    int32_t RetBuffSize = 102400;
    int32_t MinIdxUnitCount_ForComplexIdx = 0;
    int64_t MaxOffsetFileSize = 2147483648LL;
    int64_t MaxMemCount = 2147483648LL;
    int64_t ToFreeMemCount = 214748364800LL;
    int32_t SortCompWordLen = 10;
    int64_t MaxUnitCount_ToSort = 2147483648LL;
    int64_t MaxUnitCount_ToSearch = 214748364800LL;
    int32_t HashSize_SentInfo = 10485760;
    // Bounds of a query program from outside: the time it may run when its
    // query sets no limit of its own, and the memory its Lua state may hold;
    // values of 0 or less keep these defaults.
    int32_t QueryTimeLimitMs = 30000;
    int32_t LuaMemoryLimitMB = 512;
    // Full-text scoring; 0 and no weights unless a "SizeInfo" section is read.
    float BM_K1 = 0;
    float BM_K2 = 0;
    float BM_B = 0;
    float BM25F_B = 0;
    std::unordered_map<std::string, float> FieldWeights;  // "title", "abstract", "claim", "description"

    // Applies a "SizeInfo" object (also sets g_nSortCompWordLen when the key is there).
    void SizeInfoInit(const cJSON* section);
};

// Units preloaded at engine start-up, by kind. Unit names are formed as
// POS_L "%s|", POS_R "|%s", HZ_R "<%s", HZ_L "%s>", ML "$%s", MR "%s@".
class CCache {
public:
    StrSet POS_L;
    StrSet POS_R;
    StrSet HZ_R;
    StrSet HZ_L;
    StrSet ML;
    StrSet MR;

    // Applies a "Cache" object: string arrays under the six names.
    void CacheInit(const cJSON* section);
};

class CConfig {
public:
    CFileInfo m_FileInfo;
    CSizeInfo m_SizeInfo;
    StrSet m_ClauseSeperator;    // "Clause Seperator"
    StrSet m_SentenceSeperator;  // "Sentence Seperator"
    StrSet m_SubTreeCat;         // "SubTree Cat"
    StrSet m_StopTag;            // "StopTag"
    CCache m_Cache;
    std::string m_IndexDir;
    std::string m_InfoDir;       // m_IndexDir + "/Info"
    int32_t m_CorpusKind = 0;    // set by the index builder from its corpus files
    int32_t m_Language = 0;      // 0 Chinese, 1 English
    bool m_IsFast = true;
    bool m_DelNumber = true;
    int32_t m_LowFreq = 0;
    bool m_TermTable = true;
    // Full-text keys, read only while g_nEngineType is kEngineFullText
    // ("StopPOS" is read for both kinds).
    StrSet m_StopWord;
    StrSet m_StopPOS;
    std::vector<std::string> m_Field;
    std::vector<std::string> m_DocInfo;
    StrSet m_DocInfoTypeNumber;
    StrSet m_DocInfoTypeString;
    std::string m_DocIDName;

    // Starts from the defaults (a repeated call does not accumulate), sets the
    // index and info directories, then reads and applies the file. False when
    // the file cannot be opened or parsed, or a stop-word file cannot be read;
    // what was applied before the failure stays.
    bool ConfigInit(const std::string& configPath, const std::string& indexDir);
    void ConfigExit() {}
    // Adds every line of the file (line end cut, empty lines skipped) to m_StopWord.
    bool ReadStopWords(const std::string& path);

    bool IsSeperator_Clause(std::string_view text) const;
    bool IsSeperator_Sentence(std::string_view text) const;
    bool IsSeperator_SubTree(std::string_view text) const;
    // True for a stop tag.
    bool IsNotToIndex(std::string_view text) const;
};

// "Engine.txt" of an index directory.
// Sets g_nEngineType to kind and writes the file; config may be null (no
// language line). False when the file cannot be created.
bool SetEngineType(const CConfig* config, const std::string& indexDir, int kind);
// 1 for a structured index ("Engine=QAV"), 2 for a full-text one ("Engine=BM"),
// 0 when neither line or no file.
int GetEngineType(const std::string& indexDir);
// Bytes after "CorpusSize=" at the start of a line; 0 when absent.
int64_t GetCorpusSize(const std::string& indexDir);
// 1 when "Language=English" comes before any "Language=Chinese"; else 0.
int GetEngineLanguageType(const std::string& indexDir);

}  // namespace qav
