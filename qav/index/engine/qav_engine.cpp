#include "qav/index/engine/qav_engine.h"

#include <sys/stat.h>

#include <climits>
#include <ctime>
#include <new>

#include "qav/fulltext/engine/bm_engine.h"
#include "qav/index/base/cat_table.h"
#include "qav/index/format/index_files.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/engine/unit_table.h"
#include "common/platform/zq_files.h"
#include "qav/index/engine/load_offset.h"

CQAVEngine* g_pCQAVEngine = nullptr;
std::mutex g_nodeLoadMutex[256];

namespace {

constexpr int kMaxNumberedFiles = 255;  // file numbers are one byte
constexpr uint64_t kMaxDataFileBytes = uint64_t{1} << 34;

// How many of prefix_0.dat, prefix_1.dat, ... open for reading.
int CountNumberedFiles(const std::string& prefix) {
    int count = 0;
    for (; count < kMaxNumberedFiles; ++count) {
        FILE* file = fopen(DatFilePath(prefix, count).c_str(), "rb");
        if (!file) break;
        fclose(file);
    }
    return count;
}

// Loads one data file whole; false after logging why.
bool LoadDataFile(const std::string& path, int index, int count, long long& totalMb,
                  std::unique_ptr<uint32_t[]>& words, uint32_t& length) {
    FileHandle file(fopen(path.c_str(), "rb"));
    struct stat info;
    if (!file || fstat(fileno(file.get()), &info) != 0) {
        QavLog("ShareDataInit Error: cannot open %s\n", path.c_str());
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    uint64_t units = size / 4;
    if (size >= kMaxDataFileBytes) {
        QavLogOnly("ShareDataInit Warning: file %s too large (%lld units), capped to UINT_MAX\n", path.c_str(),
                   static_cast<long long>(units));
        units = UINT_MAX;
    }
    const long long mb = static_cast<long long>(units >> 18);
    totalMb += mb;
    QavLogOnly("  ShareDataInit: loading file %d/%d (%s), %lld MB (total %lld MB)\n", index + 1, count,
               path.c_str(), mb, totalMb);
    words.reset(new (std::nothrow) uint32_t[units ? units : 1]);
    if (!words) {
        QavLog("ShareDataInit Error: failed to allocate %lld MB for file %s (out of memory)\n", mb, path.c_str());
        fflush(stdout);
        return false;
    }
    if (fread(words.get(), 4, units, file.get()) != units) {
        // The file shrank between its size and its reading.
        QavLog("ShareDataInit Error: cannot open %s\n", path.c_str());
        return false;
    }
    length = static_cast<uint32_t>(units);
    return true;
}

}  // namespace

bool CQAVEngine::ShareDataInit(const std::string& prefix) {
    ShareDataExit();
    const int count = CountNumberedFiles(prefix);
    if (count == 0) return false;
    m_corpus.resize(static_cast<size_t>(count));
    m_corpusLength.assign(static_cast<size_t>(count), 0);
    long long totalMb = 0;
    for (int i = 0; i < count; ++i) {
        if (!LoadDataFile(DatFilePath(prefix, i), i, count, totalMb, m_corpus[i], m_corpusLength[i])) {
            ShareDataExit();
            return false;
        }
    }
    return true;
}

void CQAVEngine::ShareDataExit() {
    m_corpus.clear();
    m_corpusLength.clear();
}

bool CQAVEngine::OffsetFileHandleInit() {
    m_offsetFiles.clear();
    m_offsetGeneration = NextOffsetFileGeneration();
    const std::string& prefix = m_config.m_FileInfo.Offset;
    const int count = CountNumberedFiles(prefix);
    if (count == 0) return false;
    for (int i = 0; i < count; ++i) {
        FileHandle file(fopen(DatFilePath(prefix, i).c_str(), "rb"));
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

    if (!m_config.ConfigInit(configPath, indexDir)) return false;
    // This index's comparison width, not whatever an earlier index left.
    g_nSortCompWordLen = m_config.m_SizeInfo.SortCompWordLen;
    const CFileInfo& files = m_config.m_FileInfo;
    if (!ShareDataInit(files.Data)) return false;
    m_pWordList = std::make_shared<CWordList>();
    if (!m_pWordList->WordListInitEx(files.WordList)) return false;
    if (!HashTableInit(m_unitTable, m_config, false, true)) return false;
    OffsetFileHandleInit();
    // A missing document table is allowed; a damaged one is not served.
    if (!m_orgInfo.OrgInfoInit(files.OrgDat) && zq_isfile(files.OrgDat.c_str())) return false;
    CatTableInit(files.CatTable);
    Cache();
    m_sentInfo.HashTableInfoInit(m_config);
    m_config.m_Language = GetEngineLanguageType(indexDir);

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

bool GlobalInit(const std::string& configName, const std::string& indexDir) {
    const int64_t corpusSize = GetCorpusSize(indexDir);
    if (corpusSize > kMaxCorpusBytes) {
        QavLog("Error: corpus size (%lld bytes) exceeds limit (%lld bytes)\n", static_cast<long long>(corpusSize),
               static_cast<long long>(kMaxCorpusBytes));
        return false;
    }
    // An engine left by an earlier start (failed or not) is replaced whole:
    // its configuration lists and tables must not carry into this index.
    delete g_pCQAVEngine;
    g_pCQAVEngine = new CQAVEngine();
    g_nEngineType = kEngineStructured;
    return g_pCQAVEngine->QAVEngineInit(configName, indexDir);
}

void GlobalExit() {
    if (g_nEngineType == kEngineStructured && g_pCQAVEngine) {
        g_pCQAVEngine->QAVEngineExit();
        delete g_pCQAVEngine;
        g_pCQAVEngine = nullptr;
    }
    if (g_nEngineType == kEngineFullText && g_pBMEngine) {
        g_pBMEngine->BMEngineExit();
        delete g_pBMEngine;
        g_pBMEngine = nullptr;
    }
}
