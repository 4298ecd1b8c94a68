#include "qav/index/engine/qav_engine.h"

#include <ctime>

#include "qav/index/base/cat_table.h"
#include "qav/index/engine/index_check.h"
#include "qav/index/format/data_file.h"
#include "qav/index/format/index_files.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/engine/unit_table.h"
#include "common/platform/zq_files.h"
#include "qav/index/engine/load_offset.h"

namespace qav {

CQAVEngine* g_pCQAVEngine = nullptr;
std::mutex g_nodeLoadMutex[256];

bool CQAVEngine::ShareDataInit(const std::string& prefix) {
    return LoadDataFiles(prefix, m_corpus, m_corpusLength);
}

void CQAVEngine::ShareDataExit() {
    m_corpus.clear();
    m_corpusLength.clear();
    m_noWords.clear();
}

void CQAVEngine::FindNoWords() {
    m_noWords.clear();
    const auto wordCount = static_cast<uint32_t>(m_pWordList ? m_pWordList->words_by_id.size() : 0);
    for (size_t i = 0; i < m_corpus.size(); ++i)
        m_noWords.push_back(FindNoWordRuns(m_corpus[i].get(), m_corpusLength[i], wordCount));
}

bool CQAVEngine::OffsetFileHandleInit() {
    m_offsetFiles.clear();
    m_offsetGeneration = NextOffsetFileGeneration();
    const std::string& prefix = m_config.m_FileInfo.Offset;
    const int count = CountNumberedFiles(prefix);
    if (count == 0) return false;
    for (int i = 0; i < count; ++i) {
        qz::FileHandle file(fopen(DatFilePath(prefix, i).c_str(), "rb"));
        if (!file) {
            m_offsetFiles.clear();
            return false;
        }
        m_offsetFiles.push_back(std::move(file));
    }
    return true;
}

bool CQAVEngine::Cache() {
    if (m_offsetFiles.empty() || m_unitTable.bucket_count() == 0) return false;
    for (const char* kind : {"|POS", "POS|", "<HZ", "HZ>", "$ML", "MR@"})
        if (!LoadCache(kind)) return false;
    return true;
}

bool CQAVEngine::QAVEngineInit(const std::string& configName, const std::string& indexDir) {
    const clock_t start = clock();
    const std::string configPath = indexDir + "/" + configName;
    QavLog("QAV engine loading [%s] ...\n", indexDir.c_str());
    fflush(stdout);

    if (!m_config.ConfigInit(configPath, indexDir)) {
        QavLog("Error: cannot read the configuration %s\n", configPath.c_str());
        return false;
    }
    if (!VerifyIndexFiles(m_config, indexDir)) return false;
    // This index's comparison width, not whatever an earlier index left.
    g_nSortCompWordLen = m_config.m_SizeInfo.SortCompWordLen;
    const CFileInfo& files = m_config.m_FileInfo;
    if (!ShareDataInit(files.Data)) return false;
    m_pWordList = std::make_shared<CWordList>();
    if (!m_pWordList->WordListInitEx(files.WordList)) return false;
    FindNoWords();
    if (!HashTableInit(m_unitTable, m_config, false, true)) return false;
    OffsetFileHandleInit();
    // A missing document table is allowed; a damaged one is not served.
    if (!m_orgInfo.OrgInfoInit(files.OrgDat) && zq_isfile(files.OrgDat.c_str())) return false;
    CatTableInit(files.CatTable);
    Cache();
    m_sentInfo.HashTableInfoInit(m_config);
    m_config.m_Language = GetEngineLanguageType(indexDir);
    if (!CheckLoadedIndex(*this)) return false;

    QavLog("QAV engine ready. (%.2fs)\n", static_cast<double>(clock() - start) / CLOCKS_PER_SEC);
    return true;
}

void CQAVEngine::QAVEngineExit() {
    ShareDataExit();
    m_offsetFiles.clear();
    m_pWordList.reset();
    m_unitTable.Clear();
    m_loadedRecords = 0;
    m_orgInfo.OrgInfoExit();
    m_sentInfo.HashTableInfoExit();
    m_limits.clear();
}

void SetEngineLanguageType(int language) {
    if (g_pCQAVEngine) g_pCQAVEngine->m_config.m_Language = language;
}

}  // namespace qav
